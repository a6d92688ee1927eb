// How typed text in a value field becomes the text its parser reads.
#pragma once

#include <string>

namespace quorvix {

// Commas become points with the comma option; with the arithmetic option a chain of numbers
// joined by "*" or "/" (evaluated left to right) becomes the text of its result. Other text
// passes unchanged.
std::string prepareTypedText(const std::string& text, bool commaAsPoint, bool arithmetic);

// The leading number of the text, after blanks and tabs; false when there is none.
bool leadingNumber(const std::string& text, double& value);

} // namespace quorvix
