// Running the desktop's dialog programs (zenity, kdialog) and reading their answers.
#pragma once

#include <string>
#include <vector>

namespace quorvix::platform {

bool haveDisplay();
// The program's path along PATH, or false.
bool findProgram(const char* name, std::string& path);
// Runs the program and waits; its exit status, or -1 when it could not run. With output, its
// standard output is collected there.
int runProgram(const std::string& program, const std::vector<std::string>& args, std::string* output = nullptr);

} // namespace quorvix::platform
