// Scripted answers for dialogs without a display: the file named by QUORVIX_DIALOG_ANSWERS, one
// answer a line. The file is only read. Each process walks through it from the first line, and
// starts again when the file is replaced or rewritten.
#pragma once

#include <optional>
#include <string>

namespace quorvix::platform {

// The environment variable that names the answers file.
inline constexpr const char* kDialogAnswersVariable = "QUORVIX_DIALOG_ANSWERS";

// The next line of the answers file; nullopt without a file or when every line has been given.
std::optional<std::string> nextDialogAnswer();

} // namespace quorvix::platform
