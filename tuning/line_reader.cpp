#include "tuning/line_reader.h"

#include <cctype>

namespace quorvix {

namespace {
const char* const kTrimmed = " \t\n\v\f\r";
bool endsLine(int c) { return c == '\0' || c == '\r' || c == '\n'; }
} // namespace

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(kTrimmed);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kTrimmed) - first + 1);
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool CLineReader::next(std::istream& in, std::string& line)
{
    std::string raw;
    bool any = false;
    for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
        any = true;
        if (endsLine(c)) {
            if (m_terminator < 0)
                m_terminator = c;
            if (c == m_terminator)
                ++m_line;
            line = trimmed(raw);
            return true;
        }
        raw.push_back(static_cast<char>(c));
    }
    line = trimmed(raw);
    return any;
}

} // namespace quorvix
