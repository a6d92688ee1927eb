// The bank files written for hosts' preset browsers load into the plug-in as a host loads them:
// the container unwrapped and its chunk handed to effSetChunk.
#include "plugin_fixture.h"

#include "host/fx_container.h"
#include "plugin/vst2abi.h"

#include <filesystem>

namespace qtest {
namespace {

class FactoryBankFileTest : public PluginTest {};

TEST_F(FactoryBankFileTest, EveryBankFileLoadsInAHost)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QUORVIX_BANK_FOLDER)) {
        if (entry.path().extension() != ".fxb")
            continue;
        ++files;
        qhost::CChunkFile file;
        std::string error;
        ASSERT_TRUE(qhost::readChunkFile(readBytes(entry.path().string()), file, error)) << entry.path() << error;
        EXPECT_FALSE(file.isProgram);
        EXPECT_EQ(file.pluginId, ('Q' << 24) | ('u' << 16) | ('o' << 8) | 'r');
        EXPECT_EQ(file.programCount, 64);
        ASSERT_EQ(plugin().setChunk(file.chunk, false), static_cast<intptr_t>(file.chunk.size())) << entry.path();
        for (int p = 0; p < 64; ++p) {
            const std::string name = plugin().text(vst::effGetProgramNameIndexed, p);
            EXPECT_FALSE(name.empty() || name.rfind("Init", 0) == 0) << entry.path() << " program " << p;
        }
    }
    if (files == 0)
        GTEST_SKIP() << "no factory bank has a source yet";
}

} // namespace
} // namespace qtest
