// A Scala scale file with the default keyboard mapping: every slot plays it, and the combined
// dataset exports as TUN.
#include "tests/fuzz/fuzz_support.h"

#include "tuning/tuning_files.h"

#include <array>

using namespace qfuzz;
using namespace quorvix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CTuningRig rig;
    CTuning tuning;
    const std::string scale = writeScratch("input.scl", data, size);
    if (!loadScala(scale, "", {&tuning}).empty())
        return 0;
    rig.play(tuning);
    CTuning selected = tuning;
    check(exportTunings(scratchFolder() + "/exported.tun", EExportFormat::TunV2, {&tuning}, selected).empty(),
          "a Scala tuning exports");
    return 0;
}
