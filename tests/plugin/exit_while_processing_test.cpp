// A host that leaves with exit() while its audio thread still calls processReplacing, as Ardour's
// Lua sessions do after an export. The plug-in library is torn down first (it was loaded last),
// then the host's own objects: from the library's teardown on, the plug-in must ask the host
// nothing, or the host answers from objects that are already gone.
#include "plugin/vst2abi.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int32_t kFrames = 64;
constexpr auto kRunBeforeExit = std::chrono::milliseconds(100);
// Long against a block of silence: a plug-in that still asks is caught many times over.
constexpr auto kHostTeardownTime = std::chrono::milliseconds(200);

std::atomic<bool> gHostTornDown {false};
std::atomic<int> gLateCalls {0};
vst::VstTimeInfo gTimeInfo {};

intptr_t host(vst::AEffect*, int32_t opcode, int32_t, intptr_t, void*, float)
{
    if (gHostTornDown)
        ++gLateCalls;
    if (opcode == vst::audioMasterVersion)
        return 2400;
    if (opcode == vst::audioMasterGetTime)
        return reinterpret_cast<intptr_t>(&gTimeInfo);
    return 0;
}

// Built before the plug-in library is loaded, so destroyed after it: the host's libraries.
struct CHostTeardown {
    ~CHostTeardown()
    {
        gHostTornDown = true;
        std::this_thread::sleep_for(kHostTeardownTime);
        const int late = gLateCalls;
        if (late > 0)
            std::fprintf(stderr, "FAIL: the plug-in called the host %d times after its library was torn down\n", late);
        else
            std::fprintf(stderr, "exit while processing: the host was not called after the library's teardown\n");
        _exit(late > 0 ? 1 : 0);
    }
} gHostTeardown;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    setenv("XDG_CONFIG_HOME", "/nonexistent", 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    const auto entry = library ? reinterpret_cast<vst::EntryProc>(dlsym(library, "VSTPluginMain")) : nullptr;
    vst::AEffect* effect = entry ? entry(host) : nullptr;
    if (!effect) {
        std::fprintf(stderr, "FAIL: cannot create the plug-in from %s\n", argv[1]);
        return 1;
    }
    effect->dispatcher(effect, vst::effOpen, 0, 0, nullptr, 0.0f);
    effect->dispatcher(effect, vst::effSetSampleRate, 0, 0, nullptr, 44100.0f);
    effect->dispatcher(effect, vst::effSetBlockSize, 0, kFrames, nullptr, 0.0f);
    effect->dispatcher(effect, vst::effMainsChanged, 0, 1, nullptr, 0.0f);
    std::thread audio([effect] {
        float left[kFrames], right[kFrames];
        float* outputs[2] = {left, right};
        for (;;)
            effect->processReplacing(effect, nullptr, outputs, kFrames);
    });
    audio.detach();
    std::this_thread::sleep_for(kRunBeforeExit);
    std::exit(0);
}
