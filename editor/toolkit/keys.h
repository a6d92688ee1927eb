// Keys as the views receive them: from the host (effEditKeyDown/Up) or from the window itself.
#pragma once

namespace quorvix {

// Virtual key codes of the plug-in interface.
enum EVirtualKey : int {
    kKeyNone = 0,
    kKeyBack = 1,
    kKeyTab = 2,
    kKeyReturn = 4,
    kKeyEscape = 6,
    kKeySpace = 7,
    kKeyPageDownNext = 8,
    kKeyEnd = 9,
    kKeyHome = 10,
    kKeyLeft = 11,
    kKeyUp = 12,
    kKeyRight = 13,
    kKeyDown = 14,
    kKeyPageUp = 15,
    kKeyPageDown = 16,
    kKeyEnter = 19,
    kKeyInsert = 21,
    kKeyDelete = 22,
};

// Modifier bits of the plug-in interface.
enum EKeyModifier : int { kModShift = 1, kModAlt = 2, kModCommand = 4, kModControl = 8 };

struct CKeyEvent {
    int character = 0; // the character typed, 0 for a virtual key
    int virt = kKeyNone;
    int modifiers = 0; // EKeyModifier bits
};

} // namespace quorvix
