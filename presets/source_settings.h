// The settings a preset source line can give ("filter.cutoff = 1200 Hz"): each key, the units it
// takes and how its value becomes the program's engine values.
#pragma once

#include "presets/program.h"
#include "presets/source_syntax.h"

#include <string>
#include <vector>

namespace quorvix {

// Settings are applied in rising order: the clocks and effect types that other values are measured
// by come first.
int settingOrder(const std::string& key);
bool isSetting(const std::string& key);
// The known key closest to a mistyped one, or "".
std::string nearestSetting(const std::string& key);
// Applies "key = value" to the program; false with the reason when the value is not one the key
// takes or not one the program can hold exactly.
bool applySetting(const std::string& key, const std::vector<CToken>& value, CProgram& program, std::string& error);

// The program every source starts from: "Init" as a factory load leaves it.
CProgram sourceBaseProgram();

} // namespace quorvix
