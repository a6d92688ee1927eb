// What program changes load: the sounds and names of the stored programs, owned elsewhere.
#pragma once

#include "engine/sound.h"

#include <string>

namespace quorvix {

constexpr int kProgramCount = 64;
constexpr size_t kMaxProgramName = 24;

class CProgramSource {
public:
    virtual ~CProgramSource() = default;
    // program is 0..63.
    virtual const CSound& programSound(int program) const = 0;
    virtual const std::string& programName(int program) const = 0;
};

} // namespace quorvix
