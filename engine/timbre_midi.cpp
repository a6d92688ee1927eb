// MIDI intake of a timbre: which events it keeps, their order, and the commands they become.
#include "engine/timbre.h"

#include "dsp/runtime_rand.h"
#include "engine/stable_sort.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kPolyPressure = 0xA0;
constexpr uint8_t kControlChange = 0xB0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchBend = 0xE0;
constexpr uint8_t kSystem = 0xF0;
constexpr uint8_t kSystemReset = 0xFF;

constexpr int kAllSoundOff = 120;
constexpr int kResetAllControllers = 121;
constexpr int kAllNotesOff = 123;
constexpr int kLastModeMessage = 127;
constexpr int kPolyphonyController = 118;

constexpr float kSeventhBit = 0.007874016f; // 1/127
constexpr float kBendDown = 0.0001220703125f; // 1/8192
constexpr float kBendUp = 0.00012208521f;     // 1/8191
constexpr double kRandUnit = 3.0517578125e-05; // 1/32768
constexpr int kHostTuning = 0;
constexpr int kSysexTuning = 2;
constexpr int kSysexPriorityTenths = 4;

// The order of message kinds at one position, in tenths: programs, controllers,
// everything else, note-offs, note-ons.
int priorityTenths(uint8_t status, uint8_t velocity)
{
    switch (status & 0xF0) {
    case kProgramChange:
        return 0;
    case kControlChange:
        return 2;
    case kNoteOff:
        return 6;
    case kNoteOn:
        return velocity == 0 ? 6 : 8;
    default:
        return 4;
    }
}

bool isChannelModeMessage(uint8_t status, uint8_t controller)
{
    return (status & 0xF0) == kControlChange && (controller == kAllSoundOff || controller >= kAllNotesOff);
}

} // namespace

int32_t CTimbre::position(const CAcceptedEvent& event) const { return -event.deltaFrames * quality(); }

float CTimbre::startFrequency(int key, int detuneCents) const
{
    const double base = m_context ? m_context->tuningBase : 0.0;
    if (m_context && m_context->tuningSource != kHostTuning)
        return static_cast<float>(m_mainTuning.frequency(key) * std::exp2(base / 12.0));
    return static_cast<float>(kKeyZeroHz * std::exp2((key + base + detuneCents * 0.01) / 12.0));
}

void CTimbre::housekeeping()
{
    for (CVoice& v : m_voices) {
        if (v.queueResetPending()) {
            v.queue().reset();
            v.clearQueueReset();
        }
        if (v.queue().onlyEnd())
            v.setKey(-1);
    }
}

int CTimbre::accept(const CMidiEventList& events, int monoChannel, int polyChannel)
{
    int count = 0;
    for (int i = 0; i < events.count && count < kMaxTimbreEvents; ++i) {
        const CMidiEvent& e = events.events[i];
        if (e.isSysex()) {
            if (mtsAddressee(e.sysex, e.sysexSize, polyChannel) == kNoMessage &&
                mtsAddressee(e.sysex, e.sysexSize, monoChannel) == kNoMessage)
                continue;
            CAcceptedEvent a;
            a.deltaFrames = std::max(e.deltaFrames, 0);
            a.sysex = e.sysex;
            a.sysexSize = e.sysexSize;
            a.order = int64_t(a.deltaFrames) * 10 + kSysexPriorityTenths;
            m_accepted[static_cast<size_t>(count++)] = a;
            continue;
        }
        if (e.status < kNoteOff)
            continue;
        CAcceptedEvent a;
        a.deltaFrames = std::max(e.deltaFrames, 0);
        a.noteOffset = std::max(e.noteOffset, 0);
        a.detune = e.detune;
        a.data1 = e.data1 & 0x7F;
        a.data2 = e.data2 & 0x7F;
        a.status = e.status;
        const int channel = e.status & 0x0F;
        if (e.status >= kSystem || isChannelModeMessage(e.status, a.data1))
            a.status = e.status >= kSystem ? e.status : static_cast<uint8_t>((e.status & 0xF0) | polyChannel);
        else if (channel != monoChannel && channel != polyChannel)
            continue;
        a.order = int64_t(a.deltaFrames) * 10 + priorityTenths(a.status, a.data2);
        m_accepted[static_cast<size_t>(count++)] = a;
    }
    stableSort(m_accepted.data(), m_acceptedScratch.data(), count,
               [](const CAcceptedEvent& a, const CAcceptedEvent& b) { return a.order < b.order; });
    return count;
}

void CTimbre::processEvents(const CMidiEventList& events, int monoChannel, int polyChannel)
{
    if (!events.events) {
        for (CVoice& v : m_voices)
            v.silence();
        clearEffects();
        return;
    }
    housekeeping();
    const int count = accept(events, monoChannel, polyChannel);
    m_monoNoteThisCall = false;
    m_lastMonoNoteTime = 1;
    for (int i = 0; i < count; ++i)
        translate(m_accepted[static_cast<size_t>(i)], monoChannel, polyChannel);
    for (CVoice& v : m_voices)
        v.queue().finish(m_commandScratch.data());
}

void CTimbre::translate(const CAcceptedEvent& e, int monoChannel, int polyChannel)
{
    if (e.sysex)
        return tuningMessage(e, monoChannel, polyChannel);
    const uint8_t kind = e.status & 0xF0;
    const bool monoSide = (e.status & 0x0F) == monoChannel || m_settings.polyphony == 0;
    CVoiceCommand c;
    c.time = position(e);
    switch (kind) {
    case kNoteOff:
        return noteOff(e, monoSide);
    case kNoteOn:
        return e.data2 == 0 ? noteOff(e, monoSide) : noteOn(e, monoSide);
    case kPolyPressure:
        c.type = command::Pressure;
        c.key = e.data1;
        c.amount = e.data2 * kSeventhBit;
        for (CVoice& v : m_voices)
            if (v.key() == e.data1)
                v.queue().push(c);
        return;
    case kChannelPressure:
        c.type = command::Pressure;
        c.amount = e.data1 * kSeventhBit;
        return queueToAll(c, false);
    case kPitchBend: {
        const int bend = (e.data2 - 64) * 128 + e.data1;
        c.type = command::PitchBend;
        c.frequency = static_cast<float>(bend) * (bend < 0 ? kBendDown : kBendUp);
        return queueToAll(c, false);
    }
    case kProgramChange: {
        m_noteCounter = 0;
        const int32_t fade = m_voices[kMonoVoice].quickFadeLength();
        const int32_t stopTime = std::min(c.time + fade, 0);
        CVoiceCommand stop;
        stop.type = command::Stop;
        stop.time = stopTime;
        queueToAll(stop, false);
        CVoiceCommand program;
        program.type = command::ProgramChange;
        program.number = e.data1;
        program.time = stopTime - fade;
        for (CVoice& v : m_voices) {
            v.queue().push(program);
            v.setKey(-1);
        }
        return;
    }
    case kControlChange:
        return controlChange(e);
    default:
        if (e.status == kSystemReset) {
            m_soundOff = true;
            c.type = command::SystemReset;
            for (CVoice& v : m_voices) {
                v.queue().push(c);
                v.setKey(-1);
            }
        }
        return;
    }
}

// The main tuning answers to the poly channel's id, the destination tuning to the mono channel's.
void CTimbre::tuningMessage(const CAcceptedEvent& e, int monoChannel, int polyChannel)
{
    const int source = m_context ? m_context->tuningSource : kHostTuning;
    if (source == kSysexTuning) {
        m_mainTuning.processMtsMessage(e.sysex, e.sysexSize, polyChannel);
        m_destinationTuning.processMtsMessage(e.sysex, e.sysexSize, monoChannel);
    }
    auto requested = [](const CTuning& t) { return t.lastMessageType() == 0 || t.lastMessageType() == 3; };
    const CTuning* dumped = requested(m_mainTuning)          ? &m_mainTuning
                            : requested(m_destinationTuning) ? &m_destinationTuning
                                                             : nullptr;
    if (dumped) {
        dumped->buildBulkDump(m_reply);
        if (source != kHostTuning && m_context && m_context->sendSysex)
            m_context->sendSysex(m_context->sysexOwner, m_reply.data(), kBulkDumpSize, e.deltaFrames);
        return;
    }
    if (m_mainTuning.realtimeChange())
        retuneChangedKeys(position(e));
}

void CTimbre::retuneChangedKeys(int32_t time)
{
    CVoiceCommand c;
    c.type = command::Retune;
    c.time = time;
    for (CVoice& v : m_voices) {
        const int key = v.key();
        if (key < 0 || key > 127 || !m_mainTuning.noteChanged(key))
            continue;
        c.key = key;
        c.frequency = static_cast<float>(m_mainTuning.frequency(key));
        v.queue().push(c);
    }
}

void CTimbre::queueToAll(CVoiceCommand command, bool releaseKeys)
{
    for (CVoice& v : m_voices) {
        command.key = v.key();
        v.queue().push(command);
        if (releaseKeys)
            v.setKey(-1);
    }
}

void CTimbre::stopHeldNotes(int32_t time)
{
    CVoiceCommand stop;
    stop.type = command::Stop;
    stop.time = time;
    for (CVoice& v : m_voices) {
        if (v.key() < 0)
            continue;
        stop.key = v.key();
        v.queue().push(stop);
        v.setKey(-1);
    }
}

void CTimbre::controlChange(const CAcceptedEvent& e)
{
    const int controller = e.data1;
    CVoiceCommand c;
    c.time = position(e);
    if (controller == kAllSoundOff) {
        m_soundOff = true;
        m_noteCounter = 0;
        c.type = command::SoundOff;
        c.key = -1;
        c.number = 1;
        for (CVoice& v : m_voices) {
            v.queue().push(c);
            v.setKey(-1);
        }
        stopHeldNotes(c.time);
        return;
    }
    if (controller == kResetAllControllers) {
        c.type = command::ResetControllers;
        return queueToAll(c, false);
    }
    if (controller >= kAllNotesOff && controller <= kLastModeMessage)
        return stopHeldNotes(c.time);
    if (controller == kPolyphonyController) {
        setPolyphony(std::min<int>(e.data2, kMaxPolyphony));
        return;
    }
    c.type = command::Controller;
    c.number = controller;
    c.amount = e.data2 * kSeventhBit;
    queueToAll(c, false);
}

void CTimbre::noteOff(const CAcceptedEvent& e, bool monoSide)
{
    const int key = e.data1;
    CVoiceCommand off;
    off.type = command::NoteOff;
    off.key = key;
    off.time = position(e);
    auto release = [&](CVoice& v) {
        v.queue().push(off);
        v.setKey(-1);
    };
    CVoice& mono = m_voices[kMonoVoice];
    if (monoSide && mono.key() == key)
        return release(mono);
    for (int i = 1; i < kVoiceCount; ++i)
        if (m_voices[static_cast<size_t>(i)].key() == key)
            return release(m_voices[static_cast<size_t>(i)]);
    if (!monoSide && mono.key() == key)
        release(mono);
}

// A voice that plays a note, or has a note, Stop or program change queued, fades before the next
// note starts; a silent one takes the note at its own time.
int32_t CTimbre::queueStopBefore(CVoice& voice, int32_t noteTime, int32_t stopKey)
{
    if (!voice.queue().needsFade())
        return noteTime;
    const int32_t fade = m_voices[kMonoVoice].quickFadeLength();
    CVoiceCommand stop;
    stop.type = command::Stop;
    stop.key = stopKey;
    stop.time = std::min(noteTime + fade, 0);
    voice.queue().push(stop);
    return stop.time - fade;
}

void CTimbre::queueFirstKeys(const CVoiceCommand& note)
{
    CVoiceCommand first = note;
    first.type = command::FirstKey;
    queueToAll(first, false);
}

void CTimbre::applyNoteGains(CVoiceCommand& note, const CVoice& voice, int velocity, int key) const
{
    const CLevelSettings& level = voice.settings().level;
    note.velocityGain = std::pow(static_cast<float>(velocity) * kSeventhBit, level.dynamic);
    note.keyGain = std::pow(level.volumeKeySlope, static_cast<float>((key - level.volumeKeyMid) / 12));
    if (level.dirtyTuning > 0.0f) {
        const double r = runtimeRand() * kRandUnit;
        note.frequency = static_cast<float>(note.frequency * std::exp2((2.0 * r - 1.0) * level.dirtyTuning / 12.0));
    }
}

void CTimbre::noteOn(const CAcceptedEvent& e, bool monoSide)
{
    CVoiceCommand note;
    note.key = e.data1;
    note.frequency = startFrequency(e.data1, e.detune);
    // A note cannot begin before the block it arrives in.
    note.time = std::min((e.noteOffset - e.deltaFrames) * quality(), 0);
    setLastNote(e.data1, note.frequency);
    if (monoSide)
        monoNoteOn(note, e);
    else
        polyNoteOn(note, e);
}

void CTimbre::monoNoteOn(CVoiceCommand note, const CAcceptedEvent& e)
{
    CVoice& mono = m_voices[kMonoVoice];
    if (mono.key() >= 0) {
        note.type = command::LegatoNote;
        note.count = m_noteCounter;
    } else {
        note.type = command::NoteOn;
        note.count = m_noteCounter++;
        note.time = queueStopBefore(mono, note.time, mono.key());
    }
    // Notes of one call on the mono side never share a position.
    if (note.time >= m_lastMonoNoteTime)
        note.time = m_lastMonoNoteTime - 1;
    m_lastMonoNoteTime = note.time;
    if (note.type == command::NoteOn && m_noteCounter == 1)
        queueFirstKeys(note);
    applyNoteGains(note, mono, e.data2, e.data1);
    mono.queue().push(note);
    mono.setKey(e.data1);
}

int CTimbre::choosePolyVoice(int key, bool& needsStop) const
{
    const int voices = m_settings.polyphony;
    needsStop = true;
    for (int i = 1; i <= voices; ++i)
        if (m_voices[static_cast<size_t>(i)].key() == key)
            return i;
    for (int i = 1; i <= voices; ++i)
        if (m_voices[static_cast<size_t>(i)].queue().idle()) {
            needsStop = false;
            return i;
        }
    for (int i = 1; i <= voices; ++i)
        if (m_voices[static_cast<size_t>(i)].key() < 0)
            return i;
    // Steal the oldest running note: the greatest age among voices whose first command runs.
    int chosen = 0;
    for (int i = 1; i <= voices; ++i) {
        const int32_t time = m_voices[static_cast<size_t>(i)].queue().front().time;
        if (time >= 0 && (chosen == 0 || time > m_voices[static_cast<size_t>(chosen)].queue().front().time))
            chosen = i;
    }
    if (chosen != 0)
        return chosen;
    // Every voice waits for a note of this block: the voice whose note is due first takes the new
    // one, so it is not lost.
    int32_t earliest = kEndTime;
    chosen = 1;
    for (int i = 1; i <= voices; ++i) {
        const CCommandQueue& q = m_voices[static_cast<size_t>(i)].queue();
        for (int c = 0; c < q.size(); ++c)
            if ((q[c].type == command::NoteOn || q[c].type == command::LegatoNote) && q[c].time > earliest) {
                earliest = q[c].time;
                chosen = i;
            }
    }
    return chosen;
}

void CTimbre::polyNoteOn(CVoiceCommand note, const CAcceptedEvent& e)
{
    note.type = command::NoteOn;
    note.count = m_noteCounter++;
    bool needsStop = false;
    CVoice& voice = m_voices[static_cast<size_t>(choosePolyVoice(e.data1, needsStop))];
    if (needsStop)
        note.time = queueStopBefore(voice, note.time, voice.key());
    if (m_noteCounter == 1)
        queueFirstKeys(note);
    applyNoteGains(note, voice, e.data2, e.data1);
    voice.queue().push(note);
    voice.setKey(e.data1);
}

} // namespace quorvix
