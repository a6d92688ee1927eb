#include "host/fx_container.h"

#include <cstring>

namespace qhost {

namespace {

constexpr size_t kHeaderSize = 28;
constexpr size_t kNameSize = 28;
constexpr size_t kBankFutureSize = 128;
constexpr size_t kBankChunkSizeOffset = kHeaderSize + kBankFutureSize;
constexpr size_t kProgramChunkSizeOffset = kHeaderSize + kNameSize;
constexpr int32_t kFormatVersion = 1;

void putBig(std::vector<uint8_t>& out, uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(v >> shift));
}

void putTag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}

uint32_t getBig(const std::vector<uint8_t>& data, size_t pos)
{
    return (uint32_t(data[pos]) << 24) | (uint32_t(data[pos + 1]) << 16) | (uint32_t(data[pos + 2]) << 8) | data[pos + 3];
}

bool hasTag(const std::vector<uint8_t>& data, size_t pos, const char* tag)
{
    return data.size() >= pos + 4 && std::memcmp(data.data() + pos, tag, 4) == 0;
}

} // namespace

std::vector<uint8_t> writeChunkFile(const CChunkFile& file)
{
    std::vector<uint8_t> out;
    out.reserve(kBankChunkSizeOffset + 4 + file.chunk.size());
    putTag(out, "CcnK");
    putBig(out, 0); // byteSize is patched below
    putTag(out, file.isProgram ? "FPCh" : "FBCh");
    putBig(out, kFormatVersion);
    putBig(out, static_cast<uint32_t>(file.pluginId));
    putBig(out, static_cast<uint32_t>(file.pluginVersion));
    putBig(out, static_cast<uint32_t>(file.programCount));
    if (file.isProgram) {
        std::vector<uint8_t> name(kNameSize, 0);
        std::memcpy(name.data(), file.programName.data(), std::min(file.programName.size(), kNameSize - 1));
        out.insert(out.end(), name.begin(), name.end());
    } else {
        out.insert(out.end(), kBankFutureSize, 0);
    }
    putBig(out, static_cast<uint32_t>(file.chunk.size()));
    out.insert(out.end(), file.chunk.begin(), file.chunk.end());
    const uint32_t byteSize = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<uint8_t>(byteSize >> (24 - 8 * i));
    return out;
}

bool readChunkFile(const std::vector<uint8_t>& data, CChunkFile& file, std::string& error)
{
    file = CChunkFile {};
    if (!hasTag(data, 0, "CcnK")) {
        file.chunk = data;
        return true;
    }
    if (data.size() < kHeaderSize) {
        error = "truncated VST file header";
        return false;
    }
    file.inContainer = true;
    file.isProgram = hasTag(data, 8, "FPCh");
    if (!file.isProgram && !hasTag(data, 8, "FBCh")) {
        error = "the VST file holds parameters, not a chunk (only FBCh and FPCh files are supported)";
        return false;
    }
    file.pluginId = static_cast<int32_t>(getBig(data, 16));
    file.pluginVersion = static_cast<int32_t>(getBig(data, 20));
    file.programCount = static_cast<int32_t>(getBig(data, 24));
    const size_t sizeOffset = file.isProgram ? kProgramChunkSizeOffset : kBankChunkSizeOffset;
    if (data.size() < sizeOffset + 4) {
        error = "truncated VST file header";
        return false;
    }
    if (file.isProgram) {
        const char* name = reinterpret_cast<const char*>(data.data() + kHeaderSize);
        file.programName.assign(name, strnlen(name, kNameSize));
    }
    const uint32_t size = getBig(data, sizeOffset);
    if (size > data.size() - sizeOffset - 4) {
        error = "the chunk in the VST file is cut off";
        return false;
    }
    const auto begin = data.begin() + static_cast<long>(sizeOffset + 4);
    file.chunk.assign(begin, begin + size);
    return true;
}

} // namespace qhost
