#include "host/command_line.h"

#include "host/scripted_answers.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace qhost {

namespace {

bool parseCount(const std::string& text, int32_t& out)
{
    long value = 0;
    if (!parseInteger(text, value) || value < 0 || value > INT32_MAX)
        return false;
    out = static_cast<int32_t>(value);
    return true;
}

bool parseParameter(const std::string& text, std::pair<int32_t, float>& out)
{
    const size_t eq = text.find('=');
    int32_t index = 0;
    double value = 0.0;
    if (eq == std::string::npos || !parseCount(text.substr(0, eq), index) || !parseNumber(text.substr(eq + 1), value) ||
        value < 0.0 || value > 1.0)
        return false;
    out = {index, static_cast<float>(value)};
    return true;
}

// The plug-in's dialogs read one file name a line.
bool parseAnswerFile(const std::string& text, std::string& out)
{
    if (text.empty() || !fitsOnAnswerLine(text))
        return false;
    out = text;
    return true;
}

} // namespace

bool optionValue(const std::vector<std::string>& args, size_t& i, std::string& value)
{
    // "-" alone is a name: standard output.
    if (i + 1 >= args.size() || (args[i + 1].size() > 1 && args[i + 1][0] == '-'))
        return false;
    value = args[++i];
    return true;
}

bool parseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

bool parseInteger(const std::string& text, long& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(text.c_str(), &end, 10);
    return errno == 0 && end && *end == '\0';
}

EOptionResult parseSetupOption(const std::vector<std::string>& args, size_t& i, CSetupOptions& setup,
                               std::string& error)
{
    const std::string& option = args[i];
    std::string value;
    auto refuse = [&](const char* reason) {
        error = reason;
        return EOptionResult::Refused;
    };
    if (option == "--bank") {
        int32_t bank = 0;
        if (!optionValue(args, i, value) || !parseCount(value, bank))
            return refuse("--bank needs the number of a factory bank, for example --bank 2");
        setup.bank = bank;
    } else if (option == "--chunk") {
        if (!optionValue(args, i, setup.chunkFile))
            return refuse("--chunk needs a file name");
    } else if (option == "--program") {
        int32_t program = 0;
        if (!optionValue(args, i, value) || !parseCount(value, program))
            return refuse("--program needs a program number, for example --program 3");
        setup.program = program;
    } else if (option == "--param") {
        std::pair<int32_t, float> parameter;
        if (!optionValue(args, i, value) || !parseParameter(value, parameter))
            return refuse("--param needs INDEX=VALUE with a value from 0 to 1, for example --param 108=0.5");
        setup.parameters.push_back(parameter);
    } else if (option == "--tuning") {
        if (!optionValue(args, i, value) || !parseAnswerFile(value, setup.tuningFile))
            return refuse("--tuning needs a file name without line breaks");
    } else if (option == "--kbm") {
        if (!optionValue(args, i, value) || !parseAnswerFile(value, setup.mappingFile))
            return refuse("--kbm needs a file name without line breaks");
    } else {
        return EOptionResult::NotMine;
    }
    return EOptionResult::Taken;
}

bool checkSetupOptions(const CSetupOptions& setup, std::string& error)
{
    if (!setup.mappingFile.empty() && !isScalaScale(setup.tuningFile)) {
        error = "--kbm goes with a Scala scale: --tuning FILE.scl";
        return false;
    }
    return true;
}

} // namespace qhost
