// Quorvix.so's editor in a host window, driven through the binary interface as hosts drive it:
// open, idle and close many times, and unload and load the library again in between.
#include "gui_fixture.h"

#include "host/plugin_host.h"

#include <cstdlib>
#include <unistd.h>

namespace qtest {
namespace {

class PluginEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quorvix-editor-XXXXXX";
        m_config = mkdtemp(pattern);
        setenv("XDG_CONFIG_HOME", m_config.c_str(), 1);
    }
    void TearDown() override { std::system(("rm -rf '" + m_config + "'").c_str()); }

    std::string m_config;
};

TEST_F(PluginEditorTest, OpensInsideTheHostWindowAndLeavesNothingBehind)
{
    CHostWindow host;
    for (int load = 0; load < 2; ++load) {
        std::string error;
        auto library = qhost::CPluginLibrary::open(QUORVIX_PLUGIN_PATH, error);
        ASSERT_TRUE(library) << error;
        auto plugin = qhost::CPluginInstance::create(*library, {}, error);
        ASSERT_TRUE(plugin) << error;
        plugin->start();
        for (int cycle = 0; cycle < 25; ++cycle) {
            vst::ERect* rect = nullptr;
            ASSERT_EQ(plugin->dispatch(vst::effEditGetRect, 0, 0, &rect), 1);
            ASSERT_EQ(rect->right - rect->left, 640);
            ASSERT_EQ(rect->bottom - rect->top, 510);
            ASSERT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(host.window())), 1);
            XSync(host.display(), False);
            for (int i = 0; i < 3; ++i) {
                plugin->dispatch(vst::effEditIdle);
                usleep(2000);
            }
            ASSERT_EQ(host.childCount(), 1) << cycle;
            if (cycle == 0) {
                // The built-in background shows: the dark page, not the host window's blue.
                Window root = 0, parent = 0, *children = nullptr;
                unsigned count = 0;
                XQueryTree(host.display(), host.window(), &root, &parent, &children, &count);
                const CColor shown = windowPixel(host.display(), children[0], 320, 500);
                XFree(children);
                EXPECT_LT(shown.red, 40);
                EXPECT_LT(shown.blue, 50);
            }
            plugin->dispatch(vst::effEditClose);
            XSync(host.display(), False);
            ASSERT_EQ(host.childCount(), 0) << cycle;
        }
        plugin->close();
    }
}

} // namespace
} // namespace qtest
