// What the frame needs from the editor that owns it: the host's idle, edit gestures and knob modes.
// The editor implements it; the toolkit knows nothing of the plug-in.
#pragma once

namespace quorvix {

// How the skinned knobs follow the mouse (the editor's "Knob-Mode" setting).
enum class EKnobDrag { Circular = 0, Linear = 1 };

// The knob mode a host asks for that means linear knob handling.
constexpr int kHostLinearKnobMode = 2;

class CFrameOwner {
public:
    virtual ~CFrameOwner() = default;
    // Keeps the host alive during long mouse interactions; called in every poll of a drag.
    virtual void serviceIdle() = 0;
    // Around every drag of a control, so that hosts record automation as one gesture.
    virtual void beginParameterEdit(int tag) = 0;
    virtual void endParameterEdit(int tag) = 0;
    // The process-wide knob mode the host set (kHostLinearKnobMode for linear).
    virtual int knobMode() const = 0;
    virtual EKnobDrag knobDrag() const = 0;
};

} // namespace quorvix
