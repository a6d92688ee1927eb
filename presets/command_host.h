// What the editor commands of the parameter table act on: the plug-in's timbre selection,
// programs, clipboard and settings.
#pragma once

namespace quorvix {

// The timbres that "Channel" chooses from.
constexpr int kTimbreCount = 4;
// "OSC-Oversampling": off, each program's own mode, on wherever a program allows it.
constexpr int kOscOversamplingChoices = 3;

// "TuningSource" choices: 1 and 3 are commands with dialogs rather than sources of their own.
constexpr int kHostTuning = 0;
constexpr int kFileTuning = 1;
constexpr int kSysexTuning = 2;
constexpr int kExportTuning = 3;
constexpr int kTuningSourceCount = 4;

// What a command changed, so that its owner can tell the editor and the host afterwards.
enum class ECommandChange { Nothing, SelectedTimbre, SelectedSound };

// Implemented by the plug-in. The actions are entry points: each guards the plug-in's state itself
// and may ask the user (never on the audio thread). The read-backs only read; their caller guards them.
class CCommandHost {
public:
    virtual ECommandChange selectTimbre(int timbre) = 0;
    virtual ECommandChange changeProgram(int program) = 0;
    // One program up (+1) or down (-1), wrapping around the bank.
    virtual ECommandChange stepProgram(int step) = 0;
    virtual ECommandChange storePreset() = 0;
    virtual ECommandChange copyPreset() = 0;
    virtual ECommandChange pastePreset() = 0;
    virtual ECommandChange swapPreset() = 0;
    virtual ECommandChange initPreset() = 0;
    // Asks first; selectors 0..8 load factory banks, 9 breeds random presets.
    virtual ECommandChange loadBank(int selector) = 0;
    virtual ECommandChange setKnobMode(bool on) = 0;
    virtual ECommandChange setTuningSource(int source) = 0;
    // Semitones added to every key.
    virtual ECommandChange setTuningBase(float semitones) = 0;
    virtual ECommandChange setOscOversampling(int setting) = 0;
    virtual ECommandChange setMonoTimbralSetting(bool on) = 0;
    virtual ECommandChange setAutoStore(bool on) = 0;

    virtual int selectedTimbre() const = 0;
    virtual int currentProgram() const = 0;
    virtual int bankSelector() const = 0;
    virtual bool knobMode() const = 0;
    virtual int tuningSource() const = 0;
    virtual float tuningBase() const = 0;
    virtual int oscOversampling() const = 0;
    virtual bool monoTimbralSetting() const = 0;
    virtual bool autoStoreSetting() const = 0;

protected:
    ~CCommandHost() = default;
};

} // namespace quorvix
