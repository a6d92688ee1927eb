// The exported entry points: VSTPluginMain, and main under its old name.
#include "plugin/synth_plugin.h"

#include <memory>
#include <new>

namespace {

vst::AEffect* createInstance(vst::HostCallback host)
{
    if (!host || host(nullptr, vst::audioMasterVersion, 0, 0, nullptr, 0.0f) == 0)
        return nullptr;
    try {
        auto plugin = std::make_unique<quorvix::CSynthPlugin>(host);
        plugin->initialize();
        if (!plugin->editor())
            return nullptr;
        return plugin.release()->effect();
    } catch (...) {
        return nullptr;
    }
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) vst::AEffect* VSTPluginMain(vst::HostCallback host)
{
    return createInstance(host);
}

// GCC will not let a C++ function be called main; the assembler label gives the symbol its name.
__attribute__((visibility("default"))) vst::AEffect* quorvixLegacyMain(vst::HostCallback host) asm("main");
vst::AEffect* quorvixLegacyMain(vst::HostCallback host) { return createInstance(host); }

}
