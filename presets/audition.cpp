#include "presets/audition.h"

#include "dsp/loop_envelope.h"
#include "presets/parameter_table.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kBlockFrames = 4096;
constexpr int kPolyChannel = 0;
constexpr int kMonoChannel = 1;
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr int kMeasuredKeys[2] = {48, 72};
constexpr int kMeasureVelocity = 127;
constexpr double kMeasureSeconds = 2.0;
constexpr double kWindowSeconds = 0.5;

void render(CTimbre& timbre, const std::vector<CMidiEvent>& events, float* left, float* right, int frames)
{
    std::fill(left, left + frames, 0.0f);
    std::fill(right, right + frames, 0.0f);
    // An empty list still has storage: a list without storage would silence the timbre.
    static const CMidiEvent none;
    timbre.processEvents({events.empty() ? &none : events.data(), static_cast<int>(events.size())}, kMonoChannel,
                         kPolyChannel);
    timbre.render(left, right, frames);
}

void silence(CTimbre& timbre)
{
    timbre.resetVoices();
    timbre.clearEffects();
}

// Largest absolute level of the envelope's points.
float largestLevel(const CEnvelopeShape& shape)
{
    CLoopEnvelope envelope(EEnvelopeKind::Amplitude);
    envelope.assign(shape);
    float level = 0.0f;
    for (int k = 0; k <= envelope.lastPoint(); ++k)
        level = std::max(level, std::fabs(envelope.value(k)));
    return level;
}

} // namespace

CAudition::CAudition(float rate) : m_context(std::make_unique<CEngineContext>()), m_timbre(std::make_unique<CTimbre>())
{
    m_context->hostBeatsPerSecond = kAuditionBeatsPerSecond;
    m_context->samplesPerBeat = rate / kAuditionBeatsPerSecond;
    m_context->beatsPerSample = kAuditionBeatsPerSecond / rate;
    m_context->samplePeriod = 1.0 / rate;
    m_context->voiceParameter = &setVoiceParameter;
    m_timbre->attach(m_context.get());
    m_timbre->initialize();
    m_timbre->setSampleRate(rate);
    m_timbre->setBlockSize(kBlockFrames);
}

void CAudition::load(const CSound& sound)
{
    silence(*m_timbre);
    m_timbre->loadSound(sound);
    m_events.clear();
}

void CAudition::queue(uint8_t status, int key, int velocity, int offset)
{
    CMidiEvent e;
    e.deltaFrames = offset;
    e.status = status;
    e.data1 = static_cast<uint8_t>(key);
    e.data2 = static_cast<uint8_t>(velocity);
    m_events.push_back(e);
}

void CAudition::noteOn(int key, int velocity, int offset, bool mono)
{
    queue(static_cast<uint8_t>(kNoteOn | (mono ? kMonoChannel : kPolyChannel)), key, velocity, offset);
}

void CAudition::noteOff(int key, int offset, bool mono)
{
    queue(static_cast<uint8_t>(kNoteOff | (mono ? kMonoChannel : kPolyChannel)), key, 0, offset);
}

void CAudition::render(float* left, float* right, int frames)
{
    for (int done = 0; done < frames; done += kBlockFrames) {
        const int n = std::min(kBlockFrames, frames - done);
        std::vector<CMidiEvent> events;
        for (auto it = m_events.begin(); it != m_events.end();) {
            if (it->deltaFrames < done + n) {
                events.push_back(*it);
                events.back().deltaFrames -= done;
                it = m_events.erase(it);
            } else {
                ++it;
            }
        }
        quorvix::render(*m_timbre, events, left + done, right + done, n);
    }
}

bool CAudition::idle() const
{
    return std::all_of(m_timbre->voices().begin(), m_timbre->voices().end(),
                       [](const CVoice& v) { return v.queue().onlyEnd(); });
}

// The loudness is the square root of the largest sum of squares of both channels over consecutive
// half-second windows, that sum divided by the window's frames.
std::array<CLoudness, 2> measureLoudness(CTimbre& timbre, const CSound& sound)
{
    CSound held = sound;
    CLoopEnvelope constant(EEnvelopeKind::Amplitude);
    constant.setConstant(largestLevel(sound.amplitudeEnvelope));
    // A constant envelope is bipolar, which would measure 2 x level - 1 (nothing at all for the
    // "Init" level 0.5); the measurement is of the level itself.
    constant.setBipolar(false);
    held.amplitudeEnvelope = constant.storedShape();
    timbre.loadSound(held);
    timbre.voice(kMonoVoice).setVolumeGain(kDefaultVolumeGain);

    const int frames = static_cast<int>(timbre.sampleRate() * kMeasureSeconds);
    const int window = static_cast<int>(timbre.sampleRate() * kWindowSeconds);
    std::vector<float> left(static_cast<size_t>(frames)), right(static_cast<size_t>(frames));
    std::array<CLoudness, 2> result;
    for (size_t n = 0; n < 2; ++n) {
        silence(timbre);
        CMidiEvent note;
        note.status = kNoteOn | kMonoChannel;
        note.data1 = static_cast<uint8_t>(kMeasuredKeys[n]);
        note.data2 = kMeasureVelocity;
        std::vector<CMidiEvent> events = {note};
        for (int done = 0; done < frames; done += timbre.blockSize()) {
            const int count = std::min(timbre.blockSize(), frames - done);
            render(timbre, events, left.data() + done, right.data() + done, count);
            events.clear();
        }
        double loudest = 0.0;
        for (int start = 0; start + window <= frames; start += window) {
            double sum = 0.0;
            for (int i = start; i < start + window; ++i) {
                const size_t k = static_cast<size_t>(i);
                sum += double(left[k]) * left[k] + double(right[k]) * right[k];
                result[n].peak = std::max({result[n].peak, std::fabs(double(left[k])), std::fabs(double(right[k]))});
            }
            loudest = std::max(loudest, sum);
        }
        result[n].loudness = std::sqrt(loudest / window);
    }
    silence(timbre);
    return result;
}

} // namespace quorvix
