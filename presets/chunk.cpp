#include "presets/chunk.h"

#include "base/byte_stream.h"
#include "presets/program_record.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorvix {

namespace {

constexpr char kMagic[] = "QuorData";
constexpr size_t kMagicSize = 8;
constexpr int kChunkVersion = 5;
constexpr size_t kOldTuningText = 300;
constexpr int kHighQuality = 4;
constexpr int kLastTuningSource = 2;
constexpr int kOversamplingPerProgram = 1;
constexpr float kTuningBaseLimit = 2.0f;

void writeHeader(CByteWriter& out, const CChunkHeader& h)
{
    out.u16(kChunkTimbres);
    out.u16(static_cast<uint16_t>(h.selectedTimbre));
    for (const CChunkTimbre& t : h.timbres) {
        out.u32(static_cast<uint32_t>(t.polyphony));
        out.u32(static_cast<uint32_t>(t.quality));
        out.u16(static_cast<uint16_t>(t.program));
    }
    out.u8(static_cast<uint8_t>(h.oscOversampling));
    out.u8(static_cast<uint8_t>(h.tuningSource));
    if (h.tuningSource != 0)
        for (int t = 0; t < kChunkTimbres; ++t) {
            h.mainTunings[static_cast<size_t>(t)].writeChunk(out);
            h.destinationTunings[static_cast<size_t>(t)].writeChunk(out);
        }
    out.f32(h.tuningBase);
}

bool readHeader(CByteReader& in, int version, CChunkHeader& h)
{
    h.timbreCount = in.u16();
    h.selectedTimbre = std::min<int>(in.u16(), kChunkTimbres - 1);
    for (int t = 0; t < h.timbreCount && !in.failed(); ++t) {
        CChunkTimbre entry;
        if (version <= 1)
            in.boolean(); // an old flag, without meaning now
        entry.polyphony = version >= 3 ? static_cast<int>(std::min<uint32_t>(in.u32(), kMaxPolyphony)) : kMaxPolyphony;
        entry.quality = version >= 1 ? (in.u32() >= kHighQuality ? kHighQuality : 1) : 1;
        entry.program = std::min<int>(in.u16(), kProgramCount - 1);
        if (t < kChunkTimbres)
            h.timbres[static_cast<size_t>(t)] = entry;
    }
    h.timbreCount = std::min(h.timbreCount, kChunkTimbres);
    if (version >= 4)
        h.oscOversampling = std::min<int>(in.u8(), 2);
    else if (version >= 2)
        h.oscOversampling = in.boolean() ? kOversamplingPerProgram : 0;
    if (version < 2)
        return !in.failed();
    h.tuningSource = std::min<int>(in.u8(), kLastTuningSource);
    h.hasTunings = h.tuningSource != 0;
    if (h.hasTunings) {
        if (version >= 5) {
            for (int t = 0; t < kChunkTimbres; ++t)
                if (!h.mainTunings[static_cast<size_t>(t)].readChunk(in) ||
                    !h.destinationTunings[static_cast<size_t>(t)].readChunk(in))
                    return false;
        } else {
            in.text(kOldTuningText);
            if (!h.mainTunings[0].readChunk(in))
                return false;
            h.sharedTuning = true;
            for (CTuning& t : h.mainTunings)
                t = h.mainTunings[0];
        }
    }
    const float base = in.f32();
    h.tuningBase = std::isfinite(base) ? std::clamp(base, -kTuningBaseLimit, kTuningBaseLimit) : 0.0f;
    return !in.failed();
}

} // namespace

std::vector<uint8_t> buildChunk(const CChunkHeader* header, const std::vector<const CProgram*>& programs)
{
    CByteWriter out;
    out.raw(kMagic, kMagicSize);
    out.u16(kProgramFormat);
    out.u16(kChunkVersion);
    out.u16(static_cast<uint16_t>(programs.size()));
    CByteWriter head;
    if (header)
        writeHeader(head, *header);
    out.i32(static_cast<int32_t>(head.bytes().size()));
    out.raw(head.bytes().data(), head.bytes().size());
    for (const CProgram* p : programs)
        writeProgramRecord(out, *p);
    out.tag("STOP");
    return out.bytes();
}

CChunkReading readChunk(const uint8_t* data, size_t size, bool isPreset, int currentProgram,
                        std::array<CProgram, kProgramCount>& programs)
{
    CChunkReading r;
    CByteReader in(data, size);
    const uint8_t* magic = in.take(kMagicSize);
    if (!magic || std::memcmp(magic, kMagic, kMagicSize) != 0)
        return r;
    const int format = in.u16();
    const int version = in.u16();
    if (in.failed() || (format != kOldProgramFormat && format != kProgramFormat) || version > kChunkVersion)
        return r;
    const int count = in.u16();
    r.programChunk = isPreset && count == 1;
    r.first = r.programChunk ? std::clamp(currentProgram, 0, kProgramCount - 1) : 0;
    const int32_t headerLength = in.i32();
    if (in.failed() || headerLength < 0)
        return r;
    const uint8_t* header = in.take(static_cast<size_t>(headerLength));
    if (!header)
        return r;
    const int records = std::min({count, kProgramCount, kProgramCount - r.first});
    for (int i = 0; i < records; ++i) {
        bool repaired = false;
        if (!readProgramRecord(in, format, programs[static_cast<size_t>(r.first + i)], &repaired))
            return r;
        if (repaired)
            r.repaired.push_back(r.first + i);
        ++r.recordsRead;
    }
    if (!r.programChunk) {
        CByteReader headerIn(header, static_cast<size_t>(headerLength));
        if (!readHeader(headerIn, version, r.header))
            return r;
        r.headerRead = true;
    }
    r.ok = in.tag("STOP");
    return r;
}

} // namespace quorvix
