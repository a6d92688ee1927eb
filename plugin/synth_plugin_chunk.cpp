// The plug-in's state as the host stores it: bank and program chunks.
#include "plugin/synth_plugin.h"

#include "plugin/user_messages.h"

#include <memory>
#include <string>

namespace quorvix {

namespace {

// "3 "Warm Pad"", one program a line.
std::string repairedList(const std::vector<int>& indices, const CBank& bank)
{
    std::string text;
    for (int i : indices)
        text += std::to_string(i) + " \"" + bank.getProgramPtr(i).name + "\"\n";
    return text;
}

} // namespace

CChunkHeader CSynthPlugin::chunkHeaderLocked() const
{
    CChunkHeader h;
    h.selectedTimbre = m_selectedTimbre;
    for (int k = 0; k < kTimbreCount; ++k) {
        const CTimbre& t = m_timbres[k];
        h.timbres[static_cast<size_t>(k)] = {t.settings().polyphony, t.quality(), t.programNumber()};
        h.mainTunings[static_cast<size_t>(k)] = t.mainTuning();
        h.destinationTunings[static_cast<size_t>(k)] = t.destinationTuning();
    }
    h.oscOversampling = m_settings.oscOversampling;
    h.tuningSource = m_context.tuningSource;
    h.tuningBase = m_context.tuningBase;
    return h;
}

int32_t CSynthPlugin::getChunk(void** data, bool isPreset)
{
    if (!data)
        return 0;
    {
        std::lock_guard lock(m_engineLock);
        autoStoreLocked();
        const int first = isPreset ? m_curProgram : 0;
        const int last = isPreset ? m_curProgram : kProgramCount - 1;
        std::vector<const CProgram*> programs;
        for (int i = first; i <= last; ++i)
            programs.push_back(m_bank ? &m_bank->getProgramPtr(i) : &fallbackProgram());
        const CChunkHeader header = chunkHeaderLocked();
        m_chunk = buildChunk(isPreset ? nullptr : &header, programs);
    }
    showPendingMessages();
    *data = m_chunk.data();
    return static_cast<int32_t>(m_chunk.size());
}

int32_t CSynthPlugin::setChunk(const void* data, int32_t size, bool isPreset)
{
    if (!setChunkData(data, size, true, true, isPreset)) {
        queueMessage(EMessage::ChunkNotReadable);
        showPendingMessages();
        return 0;
    }
    setProgram(getProgram());
    return size;
}

bool CSynthPlugin::setChunkData(const void* data, int32_t size, bool applySettings, bool applyTunings, bool isPreset,
                               void (*adjust)(CProgram&))
{
    if (!data || size <= 0)
        return false;
    // Read outside the lock into copies of the bank's programs; a record that lacks a block or
    // a value keeps the one of the program it replaces.
    auto programs = std::make_unique<std::array<CProgram, kProgramCount>>();
    int current = 0;
    {
        std::lock_guard lock(m_engineLock);
        if (!m_bank)
            return false;
        for (int i = 0; i < kProgramCount; ++i)
            (*programs)[static_cast<size_t>(i)] = m_bank->getProgramPtr(i);
        current = m_curProgram;
    }
    const auto reading = std::make_unique<CChunkReading>(
        readChunk(static_cast<const uint8_t*>(data), static_cast<size_t>(size), isPreset, current, *programs));
    if (reading->ok && adjust)
        for (int i = reading->first; i < reading->first + reading->recordsRead; ++i)
            adjust((*programs)[static_cast<size_t>(i)]);
    std::string repaired;
    {
        std::lock_guard lock(m_engineLock);
        for (int i = reading->first; i < reading->first + reading->recordsRead; ++i)
            m_bank->getProgramPtr(i) = std::move((*programs)[static_cast<size_t>(i)]);
        if (!reading->ok)
            return false;
        repaired = repairedList(reading->repaired, *m_bank);
        for (CTimbre& t : m_timbres)
            t.reloadProgram();
        if (reading->headerRead)
            applyChunkHeaderLocked(reading->header, applySettings, applyTunings);
    }
    if (!repaired.empty())
        showMessage(m_languages, EMessage::ProgramsRepaired, repaired);
    return true;
}

void CSynthPlugin::applyChunkHeaderLocked(const CChunkHeader& h, bool applySettings, bool applyTunings)
{
    if (applySettings) {
        for (int k = 0; k < h.timbreCount; ++k) {
            CTimbre& t = m_timbres[k];
            const CChunkTimbre& entry = h.timbres[static_cast<size_t>(k)];
            t.setPolyphony(entry.polyphony);
            t.setQuality(entry.quality);
            t.changeProgram(entry.program);
        }
        m_settings.oscOversampling = h.oscOversampling;
        m_context.oscOversampling = h.oscOversampling;
    }
    if (applyTunings) {
        m_context.tuningSource = h.tuningSource;
        if (h.hasTunings)
            for (int k = 0; k < kTimbreCount; ++k) {
                m_timbres[k].mainTuning() = h.mainTunings[static_cast<size_t>(k)];
                if (h.sharedTuning)
                    m_timbres[k].destinationTuning().reset();
                else
                    m_timbres[k].destinationTuning() = h.destinationTunings[static_cast<size_t>(k)];
            }
        m_context.tuningBase = h.tuningBase;
    }
    if (applySettings)
        selectTimbreLocked(h.selectedTimbre);
}

} // namespace quorvix
