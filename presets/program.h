// Programs, the bank of 64 and the process-wide clipboard program.
#pragma once

#include <array>
#include <memory>
#include <string>

namespace quorvix {

constexpr int kProgramCount = 64;
constexpr size_t kMaxProgramName = 24;

class CProgram {
public:
    CProgram() = default;

    const std::string& name() const { return m_name; }
    void setName(const std::string& name) { m_name = name.substr(0, kMaxProgramName); }

private:
    std::string m_name = "Init";
};

class CBank {
public:
    // index is clamped to 0..63.
    CProgram& getProgramPtr(int index);
    const CProgram& getProgramPtr(int index) const;
    bool contains(const CProgram* program) const;

private:
    std::array<CProgram, kProgramCount> m_programs;
};

// The clipboard is shared by every instance of the process: the first acquires it, the last releases it.
std::shared_ptr<CProgram> acquireClipboard();
void releaseClipboard();
int instanceCount();

} // namespace quorvix
