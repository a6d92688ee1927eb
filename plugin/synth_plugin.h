// The plug-in object: bank, four timbres and the measuring timbre, settings and editor.
#pragma once

#include "engine/engine_context.h"
#include "engine/midi_event.h"
#include "engine/timbre.h"
#include "plugin/effect_base.h"
#include "presets/chunk.h"
#include "presets/messages.h"
#include "presets/program.h"
#include "presets/settings.h"
#include "tuning/tuning_files.h"

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvix {

constexpr int kTimbreCount = 4;
constexpr int kProgramsPerBank = 64;
constexpr float kDefaultSampleRate = 44100.0f;
constexpr int kDefaultBlockSize = 1000;
// Work buffers never grow beyond this; longer host blocks are rendered in pieces.
constexpr int kMaxRenderFrames = 8192;
// Events copied per effProcessEvents call; further events of the same call are dropped.
constexpr int kMaxEventsPerCall = 4096;
constexpr float kMinSampleRate = 1000.0f;
constexpr float kMaxSampleRate = 768000.0f;

class CSynthPlugin : public CEffectBase {
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
    bool setChunkData(const void* data, int32_t size, bool applySettings, bool applyTunings, bool isPreset);

    bool monoTimbralMode() const { return m_monoTimbralMode; }
    int selectedTimbre() const { return m_selectedTimbre; }
    const CEngineContext& context() const { return m_context; }
    const CTimbre& timbre(int k) const { return m_timbres[k]; }
    const CTimbre& measuringTimbre() const { return m_measuringTimbre; }

private:
    struct CAddress {
        int timbre;
        int number;
    };
    CAddress decodeIndex(int32_t index) const;
    int renderedTimbres() const { return m_monoTimbralMode ? 1 : kTimbreCount; }

    // What an editor command leaves to do once the engine lock is released.
    enum class ECommand { NotACommand, Done, TimbreSelected, SoundChanged };
    ECommand runCommand(int32_t index, float value);
    ECommand swapWithClipboard();
    void setTuningSource(int source);
    // Sources 1 (load a file) and 3 (export): dialogs, then the files; true when it was one of them.
    bool runTuningFileCommand(int source);
    void loadTuningFile();
    void exportTuning();
    // The eight tunings, copied so that files are read and written outside the engine lock.
    struct CTuningCopies {
        std::array<CTuning, 2 * kTimbreCount> tunings;
        int selected = 0;
        CTuningSlots slots(int count);
    };
    CTuningCopies copyTunings();
    // Sends a timbre's tuning dump to the host as one system-exclusive event (audio thread).
    static void sendTuningDump(void* owner, const uint8_t* bytes, int size, int deltaFrames);
    void followUp(ECommand command);
    bool readCommand(int32_t index, float& value) const;
    void setMonoTimbralSetting(bool on);
    void selectTimbre(int timbre);
    void changeSelectedProgram(int program);
    // The selected timbre into a bank program or the clipboard; other timbres on that program reload it.
    void storeSelected(CProgram* target);
    void storeSelectedToBank();
    // Before anything discards the selected timbre's edits: stores them when auto-store is on.
    void autoStore();
    void storePreset();
    void refreshEditorValues();
    CChunkHeader chunkHeader() const;
    void applyChunkHeader(const CChunkHeader& header, bool applySettings, bool applyTunings);
    void notifyEditor(int32_t index, float value);

    void queryTempo();
    void resetTempo();
    void storeTempo(float beatsPerSecond);
    void render(float** outputs, int32_t frames, bool replacing);

    void loadSettings();
    void saveSettings();
    void showMessage(EMessage message, const std::string& suffix = {});
    // Boxes never open under the engine lock or on the audio thread: they wait for the next other call.
    void queueMessage(EMessage message);
    void beforeDispatch() override;
    // Effect lines that parameter changes on the audio thread left short grow here.
    void prepareEffectStorage();
    // Under the engine lock, where allocating is allowed.
    void prepareTimbreEffects();
    void showPendingMessages();
    bool onAudioThread() const { return m_context.onAudioThread(); }

    std::recursive_mutex m_engineLock;

    int32_t m_bankSelector = 0;
    std::unique_ptr<CBank> m_bank;
    CEngineContext m_context;
    bool m_monoTimbralMode = true;
    std::array<CTimbre, kTimbreCount> m_timbres;
    CTimbre m_measuringTimbre;
    // Written under the engine lock, also read without it (setParameter's editor forwarding).
    std::atomic<int> m_selectedTimbre {0};
    CSettings m_settings;
    std::shared_ptr<CProgram> m_clipboard;
    CLanguages m_languages;

    std::vector<uint8_t> m_chunk; // what getChunk handed out, valid until its next call
    std::unique_ptr<CMidiEvent[]> m_events;
    vst::VstMidiSysexEvent m_replyEvent {};
    vst::VstEvents m_replyEvents {};
    std::vector<float> m_scratch;
    std::atomic<uint32_t> m_pendingMessages {0};
};

} // namespace quorvix
