#include "presets/program.h"

#include "engine/timbre.h"

#include <mutex>

namespace quorvix {

namespace {

std::mutex gClipboardMutex;
std::shared_ptr<CProgram> gClipboard;
int gInstances = 0;

int clampProgram(int index) { return index < 0 ? 0 : (index >= kProgramCount ? kProgramCount - 1 : index); }

} // namespace

void loadProgram(CTimbre& timbre, const CProgram& program)
{
    timbre.setProgramName(program.name);
    timbre.loadSound(program);
}

void storeProgram(const CTimbre& timbre, CProgram& program)
{
    program.setName(timbre.programName());
    static_cast<CSound&>(program) = timbre.sound();
}

const CProgram& fallbackProgram()
{
    static const CProgram program;
    return program;
}

CProgram& CBank::getProgramPtr(int index) { return m_programs[clampProgram(index)]; }

const CProgram& CBank::getProgramPtr(int index) const { return m_programs[clampProgram(index)]; }

bool CBank::contains(const CProgram* program) const
{
    return program >= m_programs.data() && program < m_programs.data() + kProgramCount;
}

std::shared_ptr<CProgram> acquireClipboard()
{
    std::lock_guard lock(gClipboardMutex);
    if (gInstances == 0)
        gClipboard = std::make_shared<CProgram>();
    ++gInstances;
    return gClipboard;
}

void releaseClipboard()
{
    std::lock_guard lock(gClipboardMutex);
    if (gInstances > 0 && --gInstances == 0)
        gClipboard.reset();
}

int instanceCount()
{
    std::lock_guard lock(gClipboardMutex);
    return gInstances;
}

} // namespace quorvix
