// The generic VST 2.x effect layer: owns the AEffect record, answers every dispatcher opcode
// and wraps the host callback.
#pragma once

#include "plugin/vst2abi.h"

#include <cstddef>
#include <string>

namespace quorvix {

class CEditorBase;

// Capacity of the texts the operations write; the dispatcher cuts them to what hosts give.
constexpr size_t kTextCapacity = 256;

// Largest texts written into host buffers, NUL included: the smallest buffers real hosts pass.
constexpr size_t kHostParamLabelSize = vst::kVstMaxParamStrLen;
constexpr size_t kHostParamDisplaySize = vst::kVstMaxParamStrLen;
constexpr size_t kHostParamNameSize = 24;
constexpr size_t kHostProgramNameSize = vst::kVstMaxProgNameLen;
constexpr size_t kHostEffectNameSize = vst::kVstMaxEffectNameLen;
constexpr size_t kHostVendorSize = vst::kVstMaxVendorStrLen;
constexpr size_t kHostProductSize = vst::kVstMaxProductStrLen;
constexpr size_t kMaxIncomingText = 256;

// Copies text into a host buffer of size bytes, cut at a character boundary and NUL-terminated.
void copyToHost(char* destination, const std::string& text, size_t size);

class CEffectBase {
public:
    CEffectBase(vst::HostCallback host, int32_t programs, int32_t parameters);
    virtual ~CEffectBase();

    CEffectBase(const CEffectBase&) = delete;
    CEffectBase& operator=(const CEffectBase&) = delete;

    vst::AEffect* effect() { return &m_effect; }
    static CEffectBase* fromEffect(vst::AEffect* effect);

    intptr_t dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);

    virtual void setParameter(int32_t index, float value);
    virtual float getParameter(int32_t index);
    // The editor's way to change a host-visible parameter.
    virtual void automateParameter(int32_t index, float value);
    virtual void process(float** inputs, float** outputs, int32_t frames);
    virtual void processReplacing(float** inputs, float** outputs, int32_t frames);
    virtual void setProgram(int32_t program);
    virtual int32_t getProgram();
    virtual void setProgramName(const char* name);
    virtual void getProgramName(char* text);
    virtual void getParameterLabel(int32_t index, char* text);
    virtual void getParameterDisplay(int32_t index, char* text);
    virtual void getParameterName(int32_t index, char* text);
    virtual int32_t getChunk(void** data, bool isPreset);
    virtual int32_t setChunk(const void* data, int32_t size, bool isPreset);
    virtual void setSampleRate(float rate);
    virtual void setBlockSize(int32_t frames);
    virtual void suspend() {}
    virtual void resume() {}
    virtual int32_t processEvents(const vst::VstEvents* events);
    virtual bool getProgramNameIndexed(int32_t category, int32_t index, char* text);
    virtual bool copyProgram(int32_t destination);
    virtual bool getParameterProperties(int32_t, vst::VstParameterProperties&) { return false; }

    // Setup: each writes one AEffect field or flag.
    void setUniqueID(int32_t id) { m_effect.uniqueID = id; }
    void setNumInputs(int32_t inputs) { m_effect.numInputs = inputs; }
    void setNumOutputs(int32_t outputs) { m_effect.numOutputs = outputs; }
    void hasVu(bool on) { setFlag(vst::effFlagsHasVu, on); }
    void hasClip(bool on) { setFlag(vst::effFlagsHasClip, on); }
    void canMono(bool on) { setFlag(vst::effFlagsCanMono, on); }
    void canProcessReplacing(bool on) { setFlag(vst::effFlagsCanReplacing, on); }
    void programsAreChunks(bool on) { setFlag(vst::effFlagsProgramChunks, on); }
    void isSynth(bool on) { setFlag(vst::effFlagsIsSynth, on); }
    void noTail(bool on) { setFlag(vst::effFlagsNoSoundInStop, on); }
    void wantAsyncOperation(bool on) { setFlag(vst::effFlagsExtIsAsync, on); }
    void hasExternalBuffer(bool on) { setFlag(vst::effFlagsExtHasBuffer, on); }
    void setRealtimeQualities(int32_t q) { m_effect.realQualities = q; }
    void setOfflineQualities(int32_t q) { m_effect.offQualities = q; }
    void setInitialDelay(int32_t delay) { m_effect.initialDelay = delay; }

    // Host requests; each returns 0 or false without a host callback.
    intptr_t hostVersion();
    void hostAutomate(int32_t index, float value);
    bool requestMidiEvents();
    const vst::VstTimeInfo* getTimeInfo(int32_t mask);
    bool sendEventsToHost(vst::VstEvents* events);
    bool updateHostDisplay();
    bool beginParameterEdit(int32_t index);
    bool endParameterEdit(int32_t index);
    bool hostIdle();

    void setEditor(CEditorBase* editor);
    void detachEditor(CEditorBase* editor);
    CEditorBase* editor() const { return m_editor; }

    float sampleRate() const { return m_sampleRate; }
    int32_t blockSize() const { return m_blockSize; }

protected:
    // Runs at the start of every dispatcher call but effProcessEvents, which comes from the audio thread.
    virtual void beforeDispatch() {}
    intptr_t callHost(int32_t opcode, int32_t index = 0, intptr_t value = 0, void* ptr = nullptr, float opt = 0.0f);
    void setFlag(int32_t flag, bool on);

    vst::HostCallback m_host;
    float m_sampleRate = 44100.0f;
    CEditorBase* m_editor = nullptr;
    int32_t m_numPrograms;
    int32_t m_numParams;
    int32_t m_curProgram = 0;
    int32_t m_blockSize = 1024;
    vst::AEffect m_effect {};

private:
    intptr_t dispatchEditor(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt);
    intptr_t dispatchText(int32_t opcode, int32_t index, intptr_t value, void* ptr);
    intptr_t getOutputProperties(int32_t index, void* ptr);
    static intptr_t canDo(const char* text);
};

} // namespace quorvix
