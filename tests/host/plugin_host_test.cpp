#include "host/plugin_host.h"

#include <gtest/gtest.h>

namespace qhost {
namespace {

// The fake names only its current program, so the names come from switching through them.
TEST(PluginHost, ProgramNamesBySwitchingLeaveTheCurrentProgram)
{
    std::string error;
    const auto library = CPluginLibrary::open(FAKE_INSTRUMENT_PATH, error);
    ASSERT_TRUE(library) << error;
    const auto instance = CPluginInstance::create(*library, CHostState {}, error);
    ASSERT_TRUE(instance) << error;
    instance->dispatch(vst::effSetProgram, 0, 2);
    EXPECT_EQ(instance->programNames(), (std::vector<std::string> {"Fake 0", "Fake 1", "Fake 2"}));
    EXPECT_EQ(instance->dispatch(vst::effGetProgram), 2);
}

} // namespace
} // namespace qhost
