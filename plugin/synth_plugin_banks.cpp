// Factory banks and random presets: the bank command, the factory load and the breeding.
#include "plugin/synth_plugin.h"

#include "dsp/runtime_rand.h"
#include "plugin/user_messages.h"
#include "presets/embedded_banks.h"
#include "presets/parameter_table.h"
#include "presets/random_bank.h"

#include <algorithm>
#include <limits>
#include <new>

namespace quorvix {

namespace {

constexpr int kLastProgram = kProgramCount - 1;

// Fifteen bits a draw: two draws give the next seed.
uint32_t nextSeed()
{
    const auto high = static_cast<uint32_t>(runtimeRand());
    return high << 15 ^ static_cast<uint32_t>(runtimeRand());
}

} // namespace

ECommandChange CSynthPlugin::loadBank(int selector)
{
    // A question needs the user: never on the audio thread, never under the engine lock.
    if (onAudioThread() || !askUser(bankLoadQuestion(m_languages, selector)))
        return ECommandChange::Nothing;
    std::array<int, kTimbreCount> programs {};
    {
        std::lock_guard lock(m_engineLock);
        for (int k = 0; k < kTimbreCount; ++k)
            programs[static_cast<size_t>(k)] = m_timbres[k].programNumber();
    }
    if (!loadFactoryBank(selector))
        showMessage(m_languages, EMessage::BankLoadFailed);
    int selected = 0;
    {
        std::lock_guard lock(m_engineLock);
        for (int k = 0; k < kTimbreCount; ++k)
            m_timbres[k].changeProgram(programs[static_cast<size_t>(k)]);
        selected = m_selectedTimbre;
        m_curProgram = m_timbres[selected].programNumber();
    }
    updateHostDisplay();
    setParameter(cmd::Channel, (static_cast<float>(selected) + 0.5f) / kTimbreCount);
    return ECommandChange::SelectedSound;
}

bool CSynthPlugin::loadFactoryBank(int selector)
{
    if (selector == kRandomBankSelector)
        return generateRandomBank();
    if (selector < 0 || selector >= kFactoryBankCount)
        return false;
    {
        std::lock_guard lock(m_engineLock);
        m_bankSelector = selector;
    }
    const CStoredBank* bank = factoryBank(selector);
    size_t chunkSize = 0;
    const uint8_t* chunk = bank && verifyStoredBank(*bank) ? storedBankChunk(bank->bytes, bank->size, chunkSize) : nullptr;
    if (!chunk || chunkSize > static_cast<size_t>(std::numeric_limits<int32_t>::max()) ||
        !setChunkData(chunk, static_cast<int32_t>(chunkSize), false, false, false, &adjustFactoryProgram))
        return false;
    setProgram(getProgram());
    return true;
}

void CSynthPlugin::loadStartBank()
{
    int selector = 0;
    {
        std::lock_guard lock(m_engineLock);
        selector = m_bankSelector;
    }
    // Breeding takes seconds and ends with a message: an instance starts with stored banks only.
    if (selector != kRandomBankSelector)
        loadFactoryBank(selector);
}

void CSynthPlugin::prepareMeasuringLocked()
{
    CEngineContext& c = m_measuringContext;
    c.hostBeatsPerSecond = m_context.hostBeatsPerSecond;
    c.samplesPerBeat = m_context.samplesPerBeat;
    c.beatsPerSample = m_context.beatsPerSample;
    c.samplePeriod = m_context.samplePeriod;
    c.oscOversampling = m_context.oscOversampling;
    c.tuningBase = m_context.tuningBase;
    c.tuningSource = m_context.tuningSource;
    m_measuringTimbre.setSampleRate(m_sampleRate * kMeasuringRateFactor);
    m_measuringTimbre.setBlockSize(std::min<int32_t>(m_blockSize, kMaxRenderFrames));
    m_measuringTimbre.resetVoices();
}

bool CSynthPlugin::generateRandomBank()
{
    if (!breedIntoBank())
        return false;
    showMessage(m_languages, EMessage::RandomBankDone);
    return true;
}

bool CSynthPlugin::breedIntoBank()
{
    std::lock_guard measuring(m_measuringLock);
    try {
        auto programs = std::make_unique<CBankPrograms>();
        {
            std::lock_guard lock(m_engineLock);
            if (!m_bank)
                return false;
            for (int i = 0; i < kProgramCount; ++i)
                (*programs)[static_cast<size_t>(i)] = m_bank->getProgramPtr(i);
            prepareMeasuringLocked();
        }
        std::array<const CStoredBank*, kFactoryBankCount> stored {};
        for (int s = 0; s < kFactoryBankCount; ++s)
            stored[static_cast<size_t>(s)] = factoryBank(s);
        const CProgramPool pool = buildBreedingPool(*programs, stored);
        std::array<int, kProgramCount> attempts {};
        runtimeSrand(m_breedSeed);
        const bool bred = quorvix::generateRandomBank(pool, m_measuringTimbre, *programs, attempts);
        m_breedSeed = nextSeed();
        if (!bred)
            return false;
        std::lock_guard lock(m_engineLock);
        for (int i = 0; i < kProgramCount; ++i)
            m_bank->getProgramPtr(i) = std::move((*programs)[static_cast<size_t>(i)]);
        for (int k = 0; k < kTimbreCount; ++k)
            m_timbres[k].changeProgram(k == 0 ? 0 : kLastProgram);
        selectTimbreLocked(0);
        return true;
    } catch (const std::bad_alloc&) {
        queueMessage(EMessage::OutOfMemory);
        return false;
    }
}

} // namespace quorvix
