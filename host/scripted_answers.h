// The answers a plug-in's dialogs take while it runs without a display: a private answers file,
// named in the plug-in's answers variable for as long as this object lives.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qhost {

class CScriptedAnswers {
public:
    // One answer a line; ok() tells whether the file could be written.
    explicit CScriptedAnswers(const std::vector<std::string>& answers);
    ~CScriptedAnswers();
    CScriptedAnswers(const CScriptedAnswers&) = delete;
    CScriptedAnswers& operator=(const CScriptedAnswers&) = delete;

    bool ok() const { return !m_path.empty(); }

private:
    std::string m_path;
    std::optional<std::string> m_previous;
};

// A line break would split the answer in two.
bool fitsOnAnswerLine(const std::string& answer);

} // namespace qhost
