#include "editor/toolkit/typed_number.h"

#include <cstdio>
#include <cstdlib>

namespace quorvix {

bool leadingNumber(const std::string& text, double& value)
{
    const char* start = text.c_str();
    while (*start == ' ' || *start == '\t')
        ++start;
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    if (end == start)
        return false;
    value = v;
    return true;
}

std::string prepareTypedText(const std::string& text, bool commaAsPoint, bool arithmetic)
{
    std::string out = text;
    if (commaAsPoint)
        for (char& c : out)
            if (c == ',')
                c = '.';
    if (!arithmetic || out.find_first_of("*/") == std::string::npos)
        return out;
    const char* p = out.c_str();
    char* end = nullptr;
    double result = std::strtod(p, &end);
    if (end == p)
        return out;
    p = end;
    while (true) {
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p != '*' && *p != '/')
            break;
        const char op = *p++;
        const double operand = std::strtod(p, &end);
        if (end == p)
            return out;
        p = end;
        result = op == '*' ? result * operand : result / operand;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    if (*p != '\0')
        return out;
    char number[64];
    std::snprintf(number, sizeof number, "%.9g", result);
    return number;
}

} // namespace quorvix
