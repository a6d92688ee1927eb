// The tuning-file commands: loading a file into the timbres' tunings and exporting them, each
// with its dialogs.
#pragma once

#include "presets/command_host.h"
#include "presets/messages.h"
#include "tuning/tuning_files.h"

#include <array>

namespace quorvix {

// Every timbre has a main tuning and a pitch-bend destination tuning.
constexpr int kTuningSlotCount = 2 * kTimbreCount;

// The timbres' tunings in slot order, copied so that files are read and written outside the
// engine lock.
struct CTuningCopies {
    std::array<CTuning, kTuningSlotCount> tunings;
    int selected = 0;                // the selected timbre, whose main tuning a single-tuning export writes
    int exported = kTuningSlotCount; // slots an export writes: timbre 1's two in mono timbral mode

    CTuning& main(int timbre) { return tunings[static_cast<size_t>(2 * timbre)]; }
    CTuning& destination(int timbre) { return tunings[static_cast<size_t>(2 * timbre + 1)]; }
    const CTuning& main(int timbre) const { return tunings[static_cast<size_t>(2 * timbre)]; }
    const CTuning& destination(int timbre) const { return tunings[static_cast<size_t>(2 * timbre + 1)]; }
    CTuningSlots slots(int count);
};

class CTuningFileService {
public:
    // What the service needs of the plug-in; both guard the plug-in's state themselves.
    class COwner {
    public:
        virtual CTuningCopies copyTunings() = 0;
        // The copies become the timbres' tunings; loaded: the file was read without error.
        virtual void commitTunings(const CTuningCopies& copies, bool loaded) = 0;

    protected:
        ~COwner() = default;
    };

    // languages outlives the service.
    CTuningFileService(COwner& owner, const CLanguages& languages) : m_owner(owner), m_languages(languages) {}

    // Both wait for the user: never on the audio thread, never under the engine lock. The outcome
    // is reported in a message box.
    // Asks for a tuning file (and a keyboard mapping for a Scala scale) and loads it; a cancelled
    // dialog changes nothing.
    void loadFile();
    // Asks for a file and a format and writes the tunings into it.
    void exportFile();

private:
    COwner& m_owner;
    const CLanguages& m_languages;
};

} // namespace quorvix
