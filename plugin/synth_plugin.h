// The plug-in object: bank, four timbres and the measuring timbre, settings and editor.
#pragma once

#include "engine/engine_context.h"
#include "engine/midi_event.h"
#include "engine/timbre.h"
#include "plugin/effect_base.h"
#include "plugin/tuning_file_service.h"
#include "presets/chunk.h"
#include "presets/command_host.h"
#include "presets/messages.h"
#include "presets/program.h"
#include "presets/settings.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvix {

constexpr float kDefaultSampleRate = 44100.0f;
constexpr int kDefaultBlockSize = 1000;
// Work buffers never grow beyond this; longer host blocks are rendered in pieces.
constexpr int kMaxRenderFrames = 8192;
// Events copied per effProcessEvents call; further events of the same call are dropped.
constexpr int kMaxEventsPerCall = 4096;
constexpr float kMinSampleRate = 1000.0f;
constexpr float kMaxSampleRate = 768000.0f;
// The measuring timbre runs at half the host's rate.
constexpr float kMeasuringRateFactor = 0.5f;

// The engine lock guards the timbres, the bank, the settings and the context. Every entry point
// takes it for a short step of its own and never twice: members whose names end in Locked expect
// their caller to hold it, every other member takes it itself where it needs it.
class CSynthPlugin : public CEffectBase, public CCommandHost, private CTuningFileService::COwner {
public:
    explicit CSynthPlugin(vst::HostCallback host);
    ~CSynthPlugin() override;

    // Runs once after construction, before the record is handed to the host.
    void initialize();

    void setParameter(int32_t index, float value) override;
    float getParameter(int32_t index) override;
    void automateParameter(int32_t index, float value) override;
    void process(float** inputs, float** outputs, int32_t frames) override;
    void processReplacing(float** inputs, float** outputs, int32_t frames) override;
    void setProgram(int32_t program) override;
    int32_t getProgram() override;
    void setProgramName(const char* name) override;
    void getProgramName(char* text) override;
    void getParameterLabel(int32_t index, char* text) override;
    void getParameterDisplay(int32_t index, char* text) override;
    void getParameterName(int32_t index, char* text) override;
    bool getParameterProperties(int32_t index, vst::VstParameterProperties& properties) override;
    void setSampleRate(float rate) override;
    void setBlockSize(int32_t frames) override;
    void suspend() override;
    void resume() override;
    int32_t processEvents(const vst::VstEvents* events) override;
    bool getProgramNameIndexed(int32_t category, int32_t index, char* text) override;
    bool copyProgram(int32_t destination) override;
    int32_t getChunk(void** data, bool isPreset) override;
    int32_t setChunk(const void* data, int32_t size, bool isPreset) override;
    // The reader shared by host chunks and factory banks; false when the chunk could not be read
    // (records read before the failure stay in the bank, the timbres keep their sound).
    // adjust, when given, changes each program of a chunk read in full before it reaches the bank.
    bool setChunkData(const void* data, int32_t size, bool applySettings, bool applyTunings, bool isPreset,
                      void (*adjust)(CProgram&) = nullptr);

    // ---- factory banks and random presets (synth_plugin_banks.cpp); never under the engine lock
    // Selectors 0..8 replace the programs by a stored bank and remember the selector (also when the
    // bank is missing or refused), 9 breeds a random bank; false when nothing was loaded.
    bool loadFactoryBank(int selector);
    // Breeds 64 programs on the measuring timbre while the host plays on, then swaps them in:
    // timbre 1 on program 0, the others on 63, timbre 1 selected. The selector stays.
    bool generateRandomBank();

    bool monoTimbralMode() const { return m_monoTimbralMode; }
    int selectedTimbre() const override { return m_selectedTimbre; }
    const CEngineContext& context() const { return m_context; }
    const CTimbre& timbre(int k) const { return m_timbres[k]; }
    const CTimbre& measuringTimbre() const { return m_measuringTimbre; }
    // An edit of the selected timbre's modules from the editor, under the engine lock.
    void editSelectedTimbre(const std::function<void(CTimbre&)>& edit);

private:
    // ---- editor commands (synth_plugin_commands.cpp): the actions take the engine lock, the
    // read-backs run under the caller's.
    ECommandChange selectTimbre(int timbre) override;
    ECommandChange changeProgram(int program) override;
    ECommandChange stepProgram(int step) override;
    // Without auto-store it asks the user first, outside the lock, and never on the audio thread.
    ECommandChange storePreset() override;
    ECommandChange copyPreset() override;
    ECommandChange pastePreset() override;
    ECommandChange swapPreset() override;
    ECommandChange initPreset() override;
    // Asks first (never on the audio thread); afterwards the timbres play their program numbers again.
    ECommandChange loadBank(int selector) override;
    ECommandChange setKnobMode(bool on) override;
    // Sources 1 (load a file) and 3 (export) run the tuning-file service instead.
    ECommandChange setTuningSource(int source) override;
    ECommandChange setTuningBase(float semitones) override;
    ECommandChange setOscOversampling(int setting) override;
    ECommandChange setMonoTimbralSetting(bool on) override;
    ECommandChange setAutoStore(bool on) override;
    int currentProgram() const override { return m_curProgram; }
    int bankSelector() const override { return m_bankSelector; }
    bool knobMode() const override;
    int tuningSource() const override { return m_context.tuningSource; }
    float tuningBase() const override { return m_context.tuningBase; }
    int oscOversampling() const override { return m_settings.oscOversampling; }
    bool monoTimbralSetting() const override { return m_settings.monoTimbral; }
    bool autoStoreSetting() const override { return m_settings.autoStore; }
    CTuningCopies copyTunings() override;
    void commitTunings(const CTuningCopies& copies, bool loaded) override;

    // What the editor and the host are told after a command, outside the lock.
    void followUp(ECommandChange change);
    // The selected timbre into a bank program or the clipboard; other timbres on that program reload it.
    void storeSelectedLocked(CProgram* target);
    void storeSelectedToBankLocked();
    // Before anything discards the selected timbre's edits: stores them when auto-store is on.
    void autoStoreLocked();
    void selectTimbreLocked(int timbre);
    void changeSelectedProgramLocked(int program);

    // ---- parameters and the editor (synth_plugin.cpp)
    struct CAddress {
        int timbre;
        int number;
    };
    CAddress decodeIndex(int32_t index) const;
    // True when the parameter belongs to the selected timbre.
    bool setTimbreParameter(int32_t index, float value);
    void tellEditor(int32_t index, float value, bool selectedChanged);
    void notifyEditor(int32_t index, float value);
    void refreshEditorValues();

    // ---- chunks (synth_plugin_chunk.cpp)
    CChunkHeader chunkHeaderLocked() const;
    void applyChunkHeaderLocked(const CChunkHeader& header, bool applySettings, bool applyTunings);

    // ---- factory banks (synth_plugin_banks.cpp)
    // The bank of the saved selector, without a message when it cannot be loaded.
    void loadStartBank();
    // The random bank into the bank, the timbres on programs 0 and 63; false when none was bred.
    bool breedIntoBank();
    // The measuring timbre takes the host's rate, block size and tempo (both locks held).
    void prepareMeasuringLocked();
    // Runs f on the measuring timbre unless a bank is being bred on it (the breeding takes the
    // host's settings over when it starts).
    template <typename F>
    void withMeasuringTimbre(F f)
    {
        std::unique_lock measuring(m_measuringLock, std::try_to_lock);
        if (measuring)
            f(m_measuringTimbre);
    }

    // ---- audio (synth_plugin_audio.cpp)
    int renderedTimbres() const { return m_monoTimbralMode ? 1 : kTimbreCount; }
    void setSampleRateLocked(float rate);
    void setBlockSizeLocked(int32_t frames);
    void resetVoicesLocked();
    void queryTempoLocked();
    void resetTempoLocked();
    void storeTempoLocked(float beatsPerSecond);
    void render(float** outputs, int32_t frames, bool replacing);
    // Sends a timbre's tuning dump to the host as one system-exclusive event (audio thread).
    static void sendTuningDump(void* owner, const uint8_t* bytes, int size, int deltaFrames);

    // ---- settings and messages (synth_plugin_settings.cpp)
    void loadSettings();
    void saveSettings();
    // Boxes never open under the engine lock or on the audio thread: they wait for the next other call.
    void queueMessage(EMessage message);
    void showPendingMessages();
    void beforeDispatch() override;
    // Effect lines that parameter changes on the audio thread left short grow here.
    void prepareEffectStorage();
    // Allocating is allowed here: never on the audio thread.
    void prepareTimbreEffectsLocked();
    bool onAudioThread() const { return m_context.onAudioThread(); }

    std::mutex m_engineLock;

    int32_t m_bankSelector = 0;
    std::unique_ptr<CBank> m_bank;
    CEngineContext m_context;
    bool m_monoTimbralMode = true;
    std::array<CTimbre, kTimbreCount> m_timbres;
    // Held by the breeding for its whole run, never together with a wait for the engine lock's
    // holder: the measuring timbre renders with a context of its own, outside the engine lock.
    std::mutex m_measuringLock;
    CEngineContext m_measuringContext;
    CTimbre m_measuringTimbre;
    // Where the next random bank's draws start; moves on with every bank bred (measuring lock).
    uint32_t m_breedSeed = 0;
    // Written under the engine lock, also read without it (setParameter's editor forwarding).
    std::atomic<int> m_selectedTimbre {0};
    CSettings m_settings;
    std::shared_ptr<CProgram> m_clipboard;
    CLanguages m_languages;
    CTuningFileService m_tuningFiles {*this, m_languages};

    std::vector<uint8_t> m_chunk; // what getChunk handed out, valid until its next call
    std::unique_ptr<CMidiEvent[]> m_events;
    vst::VstMidiSysexEvent m_replyEvent {};
    vst::VstEvents m_replyEvents {};
    std::vector<float> m_scratch;
    std::atomic<uint32_t> m_pendingMessages {0};
};

} // namespace quorvix
