#include "host/scripted_answers.h"

#include "platform/dialog_answers.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace qhost {

CScriptedAnswers::CScriptedAnswers(const std::vector<std::string>& answers)
{
    std::error_code failure;
    std::string pattern = (std::filesystem::temp_directory_path(failure) / "quorvix-host-answers-XXXXXX").string();
    const int fd = failure ? -1 : mkstemp(pattern.data());
    if (fd < 0)
        return;
    std::string text;
    for (const std::string& answer : answers)
        text += answer + "\n";
    const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!written) {
        unlink(pattern.c_str());
        return;
    }
    m_path = pattern;
    if (const char* previous = std::getenv(quorvix::platform::kDialogAnswersVariable))
        m_previous = previous;
    setenv(quorvix::platform::kDialogAnswersVariable, m_path.c_str(), 1);
}

CScriptedAnswers::~CScriptedAnswers()
{
    if (m_path.empty())
        return;
    if (m_previous)
        setenv(quorvix::platform::kDialogAnswersVariable, m_previous->c_str(), 1);
    else
        unsetenv(quorvix::platform::kDialogAnswersVariable);
    unlink(m_path.c_str());
}

bool fitsOnAnswerLine(const std::string& answer) { return answer.find_first_of("\r\n") == std::string::npos; }

} // namespace qhost
