// Texts of the editor are single-byte (Latin-1) as the program keeps them; cairo wants UTF-8.
#pragma once

#include <string>

namespace quorvix {

// Valid UTF-8 passes unchanged; anything else is read as Latin-1.
std::string toUtf8(const std::string& text);

} // namespace quorvix
