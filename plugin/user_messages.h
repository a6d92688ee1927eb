// Message boxes in the user's languages. They wait for the user: never on the audio thread, never
// under the engine lock.
#pragma once

#include "presets/messages.h"

#include <string>

namespace quorvix {

// The languages whose marker files lie next to the plug-in.
CLanguages detectLanguages();

// A catalogue message with the icon and title of its kind; true when the user answers OK or Yes.
bool showMessage(const CLanguages& languages, EMessage message, const std::string& suffix = {});

// A composed Yes/No question with the question icon; true for Yes.
bool askUser(const std::string& text);

} // namespace quorvix
