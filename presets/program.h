// Programs, the bank of 64 and the process-wide clipboard program.
#pragma once

#include "engine/program_source.h"
#include "engine/sound.h"

#include <array>
#include <memory>
#include <string>

namespace quorvix {

// A stored sound and its name.
struct CProgram : CSound {
    // The "Init" program.
    CProgram() : CSound(initSound()) {}

    void setName(const std::string& name) { this->name = name.substr(0, kMaxProgramName); }

    std::string name = "Init";
};

class CBank : public CProgramSource {
public:
    // index is clamped to 0..63.
    CProgram& getProgramPtr(int index);
    const CProgram& getProgramPtr(int index) const;
    bool contains(const CProgram* program) const;

    const CSound& programSound(int program) const override { return getProgramPtr(program); }
    const std::string& programName(int program) const override { return getProgramPtr(program).name; }

private:
    std::array<CProgram, kProgramCount> m_programs;
};

class CTimbre;

// A program into a timbre (its name and sound; the timbre's program number stays), and back.
void loadProgram(CTimbre& timbre, const CProgram& program);
void storeProgram(const CTimbre& timbre, CProgram& program);

// An "Init" program that is never stored into, for when the bank storage is missing.
const CProgram& fallbackProgram();

// The clipboard is shared by every instance of the process: the first acquires it, the last releases it.
std::shared_ptr<CProgram> acquireClipboard();
void releaseClipboard();
int instanceCount();

} // namespace quorvix
