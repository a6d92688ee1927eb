// Running the desktop's dialog programs (zenity, kdialog) and reading their answers.
#pragma once

#include <string>
#include <vector>

namespace quorvix::platform {

bool haveDisplay();

enum class EDialogProgram { Zenity, Kdialog };
struct CDialogProgram {
    EDialogProgram kind = EDialogProgram::Zenity;
    std::string path;
};
// The desktop's dialog program: zenity, else kdialog; false without a display or either program.
bool findDialogProgram(CDialogProgram& program);

// The program's path along PATH, or false.
bool findProgram(const char* name, std::string& path);
// Runs the program and waits; its exit status, or -1 when it could not run. With output, its
// standard output is collected there.
int runProgram(const std::string& program, const std::vector<std::string>& args, std::string* output = nullptr);

} // namespace quorvix::platform
