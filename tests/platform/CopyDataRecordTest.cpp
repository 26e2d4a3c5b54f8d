#include "platform/CopyDataRecord.h"

#include "core/Binary.h"

#include <gtest/gtest.h>

#include <random>

namespace bm::platform {
namespace {

TEST(CopyDataRecord, StartSongRecordCarriesThePathAndItsTerminatingZero)
{
    CopyDataRecord song = MakeStartSongRecord("/songs/Loop One.ncp");
    EXPECT_EQ(song.tag, 2902u);
    EXPECT_EQ(song.byteCount, 20u);
    ASSERT_EQ(song.data.size(), 20u);
    EXPECT_EQ(song.data.back(), 0);
    EXPECT_EQ(CopyDataText(song), "/songs/Loop One.ncp");

    CopyDataRecord empty = MakeStartSongRecord("");
    EXPECT_EQ(empty.byteCount, 1u);
    EXPECT_EQ(empty.data, std::vector<uint8_t>{0});
    EXPECT_EQ(CopyDataText(empty), "");
}

TEST(CopyDataRecord, WireLayoutIsTagCountThenData)
{
    std::vector<uint8_t> bytes = EncodeCopyData(MakeStartSongRecord("ab"));
    ASSERT_EQ(bytes.size(), 11u);
    EXPECT_EQ(ReadLE32(bytes.data()), 2902u);
    EXPECT_EQ(ReadLE32(bytes.data() + 4), 3u);
    EXPECT_EQ(bytes[8], 'a');
    EXPECT_EQ(bytes[9], 'b');
    EXPECT_EQ(bytes[10], 0);
}

TEST(CopyDataRecord, DecodesOnlyOnceEveryByteHasArrived)
{
    CopyDataRecord sent = MakeStartSongRecord("/a/b.ncp");
    std::vector<uint8_t> bytes = EncodeCopyData(sent);
    bytes.push_back(0x77); // whatever follows is not part of the record
    for (size_t length = 0; length + 1 < bytes.size(); ++length) {
        CopyDataRecord got;
        size_t consumed = 99;
        EXPECT_EQ(DecodeCopyData(std::span(bytes.data(), length), got, consumed), CopyDataDecode::NeedMore) << length;
        EXPECT_EQ(consumed, 0u);
    }
    CopyDataRecord got;
    size_t consumed = 0;
    ASSERT_EQ(DecodeCopyData(bytes, got, consumed), CopyDataDecode::Complete);
    EXPECT_EQ(consumed, bytes.size() - 1);
    EXPECT_EQ(got.tag, sent.tag);
    EXPECT_EQ(got.byteCount, sent.byteCount);
    EXPECT_EQ(got.data, sent.data);
}

TEST(CopyDataRecord, RefusesAnOversizedCountBeforeItsDataArrives)
{
    std::vector<uint8_t> bytes;
    AppendLE32(bytes, kStartSongTag);
    AppendLE32(bytes, kMaxCopyDataBytes + 1);
    CopyDataRecord got;
    size_t consumed = 0;
    EXPECT_EQ(DecodeCopyData(bytes, got, consumed), CopyDataDecode::Invalid);

    bytes.clear();
    AppendLE32(bytes, 7);
    AppendLE32(bytes, 0xFFFFFFFFu);
    EXPECT_EQ(DecodeCopyData(bytes, got, consumed), CopyDataDecode::Invalid);
}

TEST(CopyDataRecord, TextStopsAtTheFirstZeroOrTheEnd)
{
    CopyDataRecord record;
    record.data = {'a', 'b', 0, 'c', 0};
    record.byteCount = 5;
    EXPECT_EQ(CopyDataText(record), "ab");
    record.data = {'x', 'y'};
    record.byteCount = 2;
    EXPECT_EQ(CopyDataText(record), "xy");
    record.data.clear();
    record.byteCount = 0;
    EXPECT_EQ(CopyDataText(record), "");
}

// Damages about 1% of the bytes of a valid stream, 100 rounds: decoding
// gives some answer and never reads past what it was given.
TEST(CopyDataRecord, DamagedStreamsNeverCrashTheDecoder)
{
    std::vector<uint8_t> valid = EncodeCopyData(MakeStartSongRecord(std::string(300, 'p')));
    std::mt19937 random(2902);
    for (int round = 0; round < 100; ++round) {
        std::vector<uint8_t> bytes = valid;
        for (size_t n = 0; n < bytes.size() / 100 + 1; ++n)
            bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        bytes.resize(random() % (bytes.size() + 1));
        CopyDataRecord got;
        size_t consumed = 0;
        if (DecodeCopyData(bytes, got, consumed) == CopyDataDecode::Complete) {
            EXPECT_LE(consumed, bytes.size());
            EXPECT_EQ(got.data.size(), got.byteCount);
        }
    }
}

} // namespace
} // namespace bm::platform
