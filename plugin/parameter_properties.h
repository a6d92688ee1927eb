// What hosts are told about a parameter beyond its value: its name, unit, and how to present it.
#pragma once

#include "plugin/vst2abi.h"

#include <string>

namespace quorvix {

// The name hosts list: timbre blocks 1 to 4 carry "T<n>|" before the parameter's name.
std::string hostParameterName(int32_t index, int number);

// The unit label within the safe length; a label too long loses its padding before it is cut.
std::string hostUnitLabel(const char* label);

// At most 7 characters, from the name: spaces and dots dropped, then inner vowels, then cut.
std::string shortParameterName(const std::string& name);

// Fills the properties of host index `index` (resolved parameter `number`); false for indices
// without a parameter.
bool parameterProperties(int32_t index, int number, vst::VstParameterProperties& properties);

} // namespace quorvix
