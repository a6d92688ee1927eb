// The one check every program passes on its way in (chunks, factory banks, bred programs): each
// value is brought within what setParameter could have given it.
#pragma once

#include "presets/program.h"

namespace quorvix {

void limitProgram(CProgram& program);

} // namespace quorvix
