// The last error of a tuning reader or tuning: empty when there is none.
#pragma once

#include <string>

namespace quorvix {

class CErrorText {
public:
    virtual ~CErrorText() = default;

    // Clears the text and returns true when message is null; otherwise stores it, prefixed by the
    // line number and ": " when line is 0 or more, and returns false.
    bool setError(const char* message, int line = -1)
    {
        if (!message) {
            m_text.clear();
            return true;
        }
        m_text = line >= 0 ? std::to_string(line) + ": " + message : std::string(message);
        return false;
    }
    std::string text() const { return m_text; }

private:
    std::string m_text;
};

} // namespace quorvix
