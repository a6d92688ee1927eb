// A multiple-scale (or TUN) file through the tuning load command's reader into the eight tuning
// slots; every slot plays, every export format writes, and the exported collection loads again.
#include "tests/fuzz/fuzz_support.h"

#include "tuning/tuning_files.h"

#include <algorithm>
#include <array>

using namespace qfuzz;
using namespace quorvix;

namespace {

constexpr int kSlots = 8;

CTuningSlots slotsOf(std::array<CTuning, kSlots>& tunings)
{
    CTuningSlots slots;
    for (CTuning& t : tunings)
        slots.push_back(&t);
    return slots;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CTuningRig rig;
    std::array<CTuning, kSlots> tunings;
    const std::string path = writeScratch("input.msf", data, size);
    if (!loadTuningCollection(path, slotsOf(tunings)).empty())
        return 0;
    for (const CTuning& tuning : tunings)
        rig.play(tuning);

    const std::string exported = scratchFolder() + "/exported";
    for (EExportFormat format : {EExportFormat::TunV2, EExportFormat::TunV1, EExportFormat::TunV0, EExportFormat::Midi,
                                 EExportFormat::MultipleScales}) {
        CTuning selected = tunings[0];
        check(exportTunings(exported, format, slotsOf(tunings), selected).empty(), "an export writes");
    }
    std::array<CTuning, kSlots> reloaded;
    check(loadTuningCollection(exported, slotsOf(reloaded)).empty(), "an exported collection loads");
    return 0;
}
