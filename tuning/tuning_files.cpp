#include "tuning/tuning_files.h"

#include "tuning/line_reader.h"
#include "tuning/midi_file_writer.h"
#include "tuning/scala_scale.h"
#include "tuning/tuning_collection.h"

#include <array>
#include <fstream>

namespace quorvix {

namespace {

const char* const kOpenError = "Error opening the file.";
const char* const kMidiFailure = "Syx-Export";
const char* const kTrackName = "Quorvix Tuning";
const char* const kInstrumentName = "Quorvix";

void distribute(const CTuningCollection& collection, const CTuningSlots& slots)
{
    for (size_t i = 0; i < slots.size(); ++i) {
        const int channel = static_cast<int>(i) + 1;
        for (const CTuningDataset& d : collection.datasets())
            if (d.channelAssigned(channel)) {
                slots[i]->loadFromScale(&d);
                break;
            }
    }
}

// The statuses of a multiple-scale export, per timbre.
std::string slotStatuses(const CTuningSlots& slots)
{
    std::string text;
    for (size_t i = 0; i < slots.size(); i += 2) {
        const std::string t = std::to_string(i / 2);
        auto status = [](const CTuning* tuning) {
            const std::string e = tuning->error().text();
            return (e.empty() ? std::string("O.K.") : e) + "\n";
        };
        text += t + "-Scale: " + status(slots[i]);
        if (i + 1 < slots.size())
            text += t + "-PitchBendDest: " + status(slots[i + 1]);
    }
    return text;
}

bool writeCollection(const std::string& path, const CTuningSlots& slots)
{
    CTuningCollection collection;
    std::vector<bool> merged(slots.size(), false);
    for (size_t i = 0; i < slots.size(); ++i) {
        if (merged[i])
            continue;
        CTuningDataset d;
        slots[i]->exportToScale(d);
        d.addChannel(static_cast<int>(i) + 1);
        for (size_t j = i + 1; j < slots.size(); ++j)
            if (!merged[j] && slots[j]->isEqual(*slots[i])) {
                d.addChannel(static_cast<int>(j) + 1);
                merged[j] = true;
            }
        collection.datasets().push_back(std::move(d));
    }
    if (collection.count() == 1)
        collection.datasets().front().clearAssignment();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return collection.write(out, kTunVersion1, kTunVersion2) && out.flush().good();
}

} // namespace

bool isScalaFile(const std::string& path)
{
    const std::string name = fileNameOf(path);
    const size_t dot = name.find_last_of('.');
    return dot != std::string::npos && lowerCase(name.substr(dot)) == ".scl";
}

std::string loadTuningCollection(const std::string& path, const CTuningSlots& slots)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return kOpenError;
    CTuningCollection collection;
    CLineReader lines;
    const int read = collection.read(in, lines);
    if (read != 0) {
        if (collection.count() == 1 && collection.datasets().front().name.empty())
            collection.datasets().front().name = fileNameOf(path);
        distribute(collection, slots);
    }
    return collection.error().text();
}

std::string loadScala(const std::string& scale, const std::string& mapping, const CTuningSlots& slots)
{
    CScalaScale scala;
    if ((!mapping.empty() && !scala.readKeyboardMapping(mapping)) || !scala.readScale(scale))
        return scala.error().text();
    CTuningDataset dataset;
    scala.toDataset(dataset);
    for (CTuning* t : slots) {
        t->loadFromScale(&dataset);
        t->setMappingName(scala.mappingName());
    }
    return {};
}

std::string exportTunings(const std::string& path, EExportFormat format, const CTuningSlots& slots,
                          CTuning& selectedMain)
{
    for (CTuning* t : slots)
        t->error().setError(nullptr);
    selectedMain.error().setError(nullptr);
    switch (format) {
    case EExportFormat::MultipleScales:
        if (writeCollection(path, slots))
            return {};
        // Nothing could be written: every slot says so.
        for (CTuning* t : slots)
            t->error().setError(kWriteFileError);
        return slotStatuses(slots);
    case EExportFormat::Midi: {
        std::array<uint8_t, kKeyBasedDumpSize> dump {};
        selectedMain.buildKeyBasedDump(dump);
        return writeTuningMidiFile(path, kTrackName, kInstrumentName, dump.data(), kKeyBasedDumpSize) ? "" : kMidiFailure;
    }
    default: {
        static const std::array<std::pair<int, int>, 3> kRanges = {
            {{kTunVersion1, kTunVersion2}, {kTunVersion0, kTunVersion1}, {kTunVersion0, kTunVersion0}}};
        const auto [lowest, highest] = kRanges[static_cast<size_t>(format) - static_cast<size_t>(EExportFormat::TunV2)];
        CTuningDataset d;
        selectedMain.exportToScale(d);
        if (d.writeFile(path, lowest, highest))
            return {};
        selectedMain.error().setError(d.error().text().c_str());
        return selectedMain.error().text();
    }
    }
}

} // namespace quorvix
