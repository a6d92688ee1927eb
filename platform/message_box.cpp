#include "platform/message_box.h"

#include "platform/dialog_answers.h"
#include "platform/process.h"

#include <cstdio>
#include <string>
#include <vector>

namespace quorvix::platform {

namespace {

int showWithZenity(const std::string& zenity, EBoxKind kind, const std::string& title, const std::string& text)
{
    const char* type = kind == EBoxKind::Error ? "--error" : kind == EBoxKind::Question ? "--question" : "--info";
    std::vector<std::string> args = {type, "--no-markup", "--title=" + title, "--text=" + text};
    if (kind == EBoxKind::Question)
        args.push_back("--default-cancel");
    return runProgram(zenity, args);
}

int showWithKdialog(const std::string& kdialog, EBoxKind kind, const std::string& title, const std::string& text)
{
    const char* type = kind == EBoxKind::Error ? "--error" : kind == EBoxKind::Question ? "--yesno" : "--msgbox";
    return runProgram(kdialog, {"--title", title, type, text});
}

// Without a display a question takes its answer from the answers file: "yes" or "no"; anything
// else, or no line at all, is the default No.
bool scriptedYes()
{
    const std::optional<std::string> answer = nextDialogAnswer();
    return answer && *answer == "yes";
}

} // namespace

bool showMessageBox(EBoxKind kind, const std::string& title, const std::string& text)
{
    CDialogProgram program;
    if (findDialogProgram(program)) {
        const int status = program.kind == EDialogProgram::Zenity ? showWithZenity(program.path, kind, title, text)
                                                                  : showWithKdialog(program.path, kind, title, text);
        if (status >= 0)
            return status == 0;
    }
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
    const bool yes = kind == EBoxKind::Question && !haveDisplay() && scriptedYes();
    if (kind == EBoxKind::Question)
        std::fprintf(stderr, "%s\n", yes ? "yes" : "no");
    std::fflush(stderr);
    return yes;
}

} // namespace quorvix::platform
