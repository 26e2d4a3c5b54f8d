#include "engine/EngineCommand.h"

#include <gtest/gtest.h>

namespace bm::engine {
namespace {

TEST(EngineCommand, CodesMatchTheCommandTable)
{
    EXPECT_EQ(CodeOf(OutputBufferDone{}), CommandCode(0x10001));
    EXPECT_EQ(CodeOf(SetSlot{}), CommandCode(0x20005));
    EXPECT_EQ(CodeOf(PlaySongWithJumps{}), CommandCode(0x30002));
    EXPECT_EQ(CodeOf(SetJumps{}), CommandCode(0x3000C));
    EXPECT_EQ(CodeOf(DeleteEnvelopePoint{}), CommandCode(0x40003));
    EXPECT_EQ(CodeOf(StartExport{}), CommandCode(0x50001));
    EXPECT_EQ(CodeOf(ClearCaches{}), CommandCode(0x60002));
    EXPECT_EQ(CodeOf(End{}), CommandCode(-1));
}

} // namespace
} // namespace bm::engine
