// Sample rate, block size, tempo, events and rendering into the output pairs.
#include "plugin/synth_plugin.h"

#include "platform/flush_to_zero.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr double kMinutesPerSecond = 0.016666666666666666;
constexpr double kMaxTempo = 10000.0;
// The size the reply event announces for itself.
constexpr int32_t kReplyEventByteSize = 24;

} // namespace

void CSynthPlugin::setSampleRate(float rate)
{
    if (!(rate >= kMinSampleRate && rate <= kMaxSampleRate))
        return; // an unusable rate leaves the engine as it is
    std::lock_guard lock(m_engineLock);
    setSampleRateLocked(rate);
}

void CSynthPlugin::setSampleRateLocked(float rate)
{
    m_sampleRate = rate;
    m_context.samplePeriod = 1.0 / static_cast<double>(rate);
    m_context.samplesPerBeat = rate / m_context.hostBeatsPerSecond;
    m_context.beatsPerSample = m_context.hostBeatsPerSecond / rate;
    setLastSampleRate(rate);
    for (CTimbre& t : m_timbres)
        t.setSampleRate(rate);
    withMeasuringTimbre([rate](CTimbre& t) { t.setSampleRate(rate * kMeasuringRateFactor); });
    // Hosts change the rate only while the audio is suspended, on whatever thread they use.
    prepareTimbreEffectsLocked();
}

void CSynthPlugin::setBlockSize(int32_t frames)
{
    if (frames <= 0)
        return;
    std::lock_guard lock(m_engineLock);
    setBlockSizeLocked(frames);
}

void CSynthPlugin::setBlockSizeLocked(int32_t frames)
{
    m_blockSize = frames;
    const int workFrames = std::min<int32_t>(frames, kMaxRenderFrames);
    for (CTimbre& t : m_timbres)
        t.setBlockSize(workFrames);
    withMeasuringTimbre([workFrames](CTimbre& t) { t.setBlockSize(workFrames); });
}

void CSynthPlugin::suspend()
{
    {
        std::lock_guard lock(m_engineLock);
        resetVoicesLocked();
        resetTempoLocked();
    }
    requestMidiEvents();
}

void CSynthPlugin::resume()
{
    requestMidiEvents();
    std::lock_guard lock(m_engineLock);
    resetTempoLocked();
}

void CSynthPlugin::resetVoicesLocked()
{
    for (CTimbre& t : m_timbres)
        t.resetVoices();
    withMeasuringTimbre([](CTimbre& t) { t.resetVoices(); });
}

void CSynthPlugin::resetTempoLocked()
{
    m_context.hostBeatsPerSecond = kNoTempoBeatsPerSecond;
    m_context.samplesPerBeat = m_sampleRate * (1.0f / kNoTempoBeatsPerSecond);
    m_context.beatsPerSample = kNoTempoBeatsPerSecond / m_sampleRate;
}

void CSynthPlugin::storeTempoLocked(float beatsPerSecond)
{
    if (beatsPerSecond == m_context.hostBeatsPerSecond)
        return;
    m_context.hostBeatsPerSecond = beatsPerSecond;
    m_context.samplesPerBeat = m_sampleRate / beatsPerSecond;
    m_context.beatsPerSample = beatsPerSecond / m_sampleRate;
}

void CSynthPlugin::queryTempoLocked()
{
    const vst::VstTimeInfo* info = getTimeInfo(vst::kVstTempoValid);
    if (!info || !(info->flags & vst::kVstTempoValid))
        return;
    const double tempo = info->tempo;
    if (std::isnan(tempo) || tempo > kMaxTempo)
        return; // nonsense keeps the last known tempo
    if (tempo > 0.0)
        storeTempoLocked(static_cast<float>(tempo * kMinutesPerSecond));
    else
        resetTempoLocked();
}

int32_t CSynthPlugin::processEvents(const vst::VstEvents* events)
{
    if (!events || events->numEvents <= 0)
        return 1;
    m_context.audioThread.store(std::this_thread::get_id());
    std::lock_guard lock(m_engineLock);
    // The list is longer than its declared two entries: read it through a plain pointer.
    vst::VstEvent* const* hostEvents = events->events;
    int count = 0;
    for (int32_t i = 0; i < events->numEvents && count < kMaxEventsPerCall; ++i) {
        const vst::VstEvent* event = hostEvents[i];
        if (!event)
            break;
        CMidiEvent& out = m_events[count];
        out = CMidiEvent {};
        out.deltaFrames = std::max(event->deltaFrames, 0);
        if (event->type == vst::kVstMidiType) {
            const auto* midi = reinterpret_cast<const vst::VstMidiEvent*>(event);
            out.status = static_cast<uint8_t>(midi->midiData[0]);
            out.data1 = static_cast<uint8_t>(midi->midiData[1]);
            out.data2 = static_cast<uint8_t>(midi->midiData[2]);
            out.noteOffset = std::max(midi->noteOffset, 0);
            out.detune = static_cast<int8_t>(midi->detune);
        } else if (event->type == vst::kVstSysExType) {
            const auto* sysex = reinterpret_cast<const vst::VstMidiSysexEvent*>(event);
            if (!sysex->sysexDump || sysex->dumpBytes <= 0)
                continue;
            out.sysex = reinterpret_cast<const uint8_t*>(sysex->sysexDump);
            out.sysexSize = sysex->dumpBytes;
        } else {
            continue;
        }
        ++count;
    }
    const CMidiEventList list {m_events.get(), count};
    for (int k = 0; k < renderedTimbres(); ++k)
        m_timbres[k].processEvents(list, 2 * k + 1, 2 * k);
    return 1;
}

void CSynthPlugin::sendTuningDump(void* owner, const uint8_t* bytes, int size, int deltaFrames)
{
    auto* self = static_cast<CSynthPlugin*>(owner);
    vst::VstMidiSysexEvent& event = self->m_replyEvent;
    event = vst::VstMidiSysexEvent {};
    event.type = vst::kVstSysExType;
    event.byteSize = kReplyEventByteSize;
    event.deltaFrames = deltaFrames;
    event.dumpBytes = size;
    event.sysexDump = reinterpret_cast<char*>(const_cast<uint8_t*>(bytes));
    self->m_replyEvents = vst::VstEvents {};
    self->m_replyEvents.numEvents = 1;
    self->m_replyEvents.events[0] = reinterpret_cast<vst::VstEvent*>(&event);
    self->sendEventsToHost(&self->m_replyEvents);
}

void CSynthPlugin::process(float**, float** outputs, int32_t frames) { render(outputs, frames, false); }

void CSynthPlugin::processReplacing(float**, float** outputs, int32_t frames) { render(outputs, frames, true); }

void CSynthPlugin::render(float** outputs, int32_t frames, bool replacing)
{
    m_context.audioThread.store(std::this_thread::get_id());
    platform::CScopedFlushToZero flushToZero;
    std::lock_guard lock(m_engineLock);
    queryTempoLocked();
    if (frames <= 0 || !outputs)
        return;
    for (int k = 0; k < renderedTimbres(); ++k) {
        float* pair[2] = {outputs[2 * k], outputs[2 * k + 1]};
        if (replacing)
            for (float* channel : pair)
                if (channel)
                    std::fill(channel, channel + frames, 0.0f);
        const int piece = std::max(1, m_timbres[k].blockSize());
        for (int32_t done = 0; done < frames; done += piece) {
            const int n = std::min<int32_t>(piece, frames - done);
            // A missing channel is rendered into scratch so the timbre always has two.
            float* left = pair[0] ? pair[0] + done : m_scratch.data();
            float* right = pair[1] ? pair[1] + done : m_scratch.data();
            m_timbres[k].render(left, right, n);
        }
    }
}

} // namespace quorvix
