// Task-modal message boxes: zenity, else kdialog, else standard error.
#pragma once

#include <string>

namespace quorvix::platform {

enum class EBoxKind { Error, Information, Question };

// Blocks until the user answers. Returns true for OK and Yes. Without a dialog program or a
// display the text goes to standard error; without a display a question takes its answer from
// the answers file (dialog_answers.h: a line "yes" or "no"), else its default, No.
bool showMessageBox(EBoxKind kind, const std::string& title, const std::string& text);

} // namespace quorvix::platform
