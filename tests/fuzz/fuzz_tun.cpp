// One TUN dataset: read and played as a tuning; the dataset as read and the tuning's export are
// written in every version range and must read back.
#include "tests/fuzz/fuzz_support.h"

#include "tuning/line_reader.h"
#include "tuning/tuning_dataset.h"

#include <sstream>

using namespace qfuzz;
using namespace quorvix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CTuningRig rig;
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    CLineReader lines;
    CTuningDataset dataset;
    if (dataset.read(in, lines) != 1)
        return 0;
    CTuning tuning;
    tuning.loadFromScale(&dataset);
    rig.play(tuning);

    CTuningDataset exported;
    tuning.exportToScale(exported);
    for (CTuningDataset* written : {&dataset, &exported})
        for (int lowest : {kTunVersion0, kTunVersion1, kTunVersion2}) {
            std::ostringstream out;
            if (!written->write(out, lowest, kTunVersion2)) {
                // Keys without a positive, finite frequency have no cents for versions 0 and 1.
                check(lowest < kTunVersion2 && !written->frequenciesWritable(), "a dataset writes");
                continue;
            }
            std::istringstream back(out.str());
            CLineReader backLines;
            CTuningDataset reread;
            check(reread.read(back, backLines) == 1, "a written dataset reads back");
        }
    return 0;
}
