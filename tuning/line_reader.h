// Lines of a tuning file: the first of NUL, CR or LF met becomes the terminator, and only the
// terminator counts lines, so the first line is line 0 and a CR LF file counts its CRs.
#pragma once

#include <istream>
#include <string>

namespace quorvix {

class CLineReader {
public:
    // The next line, trimmed of blanks, tabs and line ends; false at the end of the stream.
    bool next(std::istream& in, std::string& line);
    int line() const { return m_line; }

private:
    int m_terminator = -1; // none seen yet
    int m_line = -1;
};

// Blanks, tabs, LF, VT, FF and CR at both ends removed.
std::string trimmed(const std::string& text);
std::string lowerCase(std::string text);
// The text after the last "/" or "\\".
std::string fileNameOf(const std::string& path);

} // namespace quorvix
