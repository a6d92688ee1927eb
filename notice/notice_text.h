// The notice texts: a host is needed, and where to find one. Lines end with CR LF, addresses are
// indented by a tab, paragraphs are separated by an empty line.
#pragma once

#include <string>

namespace quorvix::notice {

std::string englishText();
std::string germanText();

} // namespace quorvix::notice
