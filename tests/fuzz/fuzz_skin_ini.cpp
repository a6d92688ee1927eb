// "Skin.ini" of any bytes: it reads or stops with a message naming its line; what it read keeps the
// colours and names within what a skin can hold.
#include "editor/skin/skin_ini.h"
#include "tests/fuzz/fuzz_check.h"

using qfuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    quorvix::CSkinSettings settings;
    const std::string error = quorvix::readSkinIni(text, settings);
    check(error.empty() || error.find("(Line ") != std::string::npos, "an error names its line");
    settings.deriveInactiveLine();
    std::string name, creator;
    quorvix::readSkinIniInfo(text, name, creator);
    check(name.size() <= size && creator.size() <= size, "the names come from the file");
    return 0;
}
