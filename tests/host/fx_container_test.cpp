#include "host/fx_container.h"

#include <gtest/gtest.h>

namespace qhost {
namespace {

TEST(FxContainer, BankKeepsItsChunkAtOffset160)
{
    CChunkFile bank;
    bank.pluginId = 0x51756F72;
    bank.pluginVersion = 1;
    bank.programCount = 64;
    bank.chunk = {1, 2, 3, 4, 5};
    const std::vector<uint8_t> bytes = writeChunkFile(bank);
    ASSERT_EQ(bytes.size(), 165u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "CcnK");
    EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 12), "FBCh");
    EXPECT_EQ(bytes[159], 5) << "chunk size, big-endian, at 156";
    EXPECT_EQ(bytes[160], 1);
    EXPECT_EQ(bytes[7], 165 - 8);
    CChunkFile read;
    std::string error;
    ASSERT_TRUE(readChunkFile(bytes, read, error)) << error;
    EXPECT_TRUE(read.inContainer);
    EXPECT_FALSE(read.isProgram);
    EXPECT_EQ(read.pluginId, 0x51756F72);
    EXPECT_EQ(read.programCount, 64);
    EXPECT_EQ(read.chunk, bank.chunk);
}

TEST(FxContainer, ProgramCarriesItsName)
{
    CChunkFile program;
    program.isProgram = true;
    program.programName = "Warm Pad";
    program.chunk = {9, 8, 7};
    CChunkFile read;
    std::string error;
    ASSERT_TRUE(readChunkFile(writeChunkFile(program), read, error)) << error;
    EXPECT_TRUE(read.isProgram);
    EXPECT_EQ(read.programName, "Warm Pad");
    EXPECT_EQ(read.chunk, program.chunk);
}

TEST(FxContainer, BareChunksAndBrokenFiles)
{
    CChunkFile read;
    std::string error;
    ASSERT_TRUE(readChunkFile({7, 7, 7}, read, error));
    EXPECT_FALSE(read.inContainer) << "a bare chunk names no plug-in";
    EXPECT_EQ(read.chunk, (std::vector<uint8_t> {7, 7, 7}));

    CChunkFile bank;
    bank.chunk = std::vector<uint8_t>(50, 1);
    std::vector<uint8_t> bytes = writeChunkFile(bank);
    EXPECT_FALSE(readChunkFile(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1), read, error));
    EXPECT_NE(error.find("cut off"), std::string::npos);
    EXPECT_FALSE(readChunkFile(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20), read, error));
    bytes[8] = 'F', bytes[9] = 'x', bytes[10] = 'B', bytes[11] = 'k';
    EXPECT_FALSE(readChunkFile(bytes, read, error));
    EXPECT_NE(error.find("parameters"), std::string::npos);
}

} // namespace
} // namespace qhost
