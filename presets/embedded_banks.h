// The factory banks the plug-in embeds. Library quorvix_factory_banks; its source is generated at
// build time from resources/banks by tools/bank_compiler.cpp.
#pragma once

#include "presets/factory_bank.h"

namespace quorvix {

// The stored bank of selector 0..8, or null when the bank is missing.
const CStoredBank* factoryBank(int selector);

} // namespace quorvix
