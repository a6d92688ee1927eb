// A Scala keyboard mapping applied to one of three scales (the first byte chooses): twelve equal
// steps, a seven-note just scale, and a single degree. The tuning must play.
#include "tests/fuzz/fuzz_support.h"

#include "tuning/tuning_files.h"

#include <cstring>

using namespace qfuzz;
using namespace quorvix;

namespace {

const char* const kScales[] = {
    "! 12.scl\n12 equal\n12\n100.\n200.\n300.\n400.\n500.\n600.\n700.\n800.\n900.\n1000.\n1100.\n2/1\n",
    "! just.scl\nJust major\n7\n9/8\n5/4\n4/3\n3/2\n5/3\n15/8\n2/1\n",
    "! one.scl\nOne step\n1\n3/2\n",
};

const std::string& scalePath(size_t index)
{
    static const std::array<std::string, std::size(kScales)> paths = [] {
        std::array<std::string, std::size(kScales)> made;
        for (size_t i = 0; i < std::size(kScales); ++i)
            made[i] = writeScratch("scale" + std::to_string(i) + ".scl", reinterpret_cast<const uint8_t*>(kScales[i]),
                                   std::strlen(kScales[i]));
        return made;
    }();
    return paths[index];
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CTuningRig rig;
    if (size < 1)
        return 0;
    const std::string mapping = writeScratch("input.kbm", data + 1, size - 1);
    CTuning tuning;
    if (!loadScala(scalePath(data[0] % std::size(kScales)), mapping, {&tuning}).empty())
        return 0;
    rig.play(tuning);
    return 0;
}
