#include "platform/CopyDataRecord.h"

#include "core/Binary.h"

#include <algorithm>

namespace bm::platform {

CopyDataRecord MakeStartSongRecord(std::string_view path)
{
    CopyDataRecord record;
    record.tag = kStartSongTag;
    record.data.assign(path.begin(), path.end());
    record.data.push_back(0);
    record.byteCount = static_cast<uint32_t>(record.data.size());
    return record;
}

std::vector<uint8_t> EncodeCopyData(const CopyDataRecord& record)
{
    std::vector<uint8_t> out;
    out.reserve(kCopyDataHeaderBytes + record.data.size());
    AppendLE32(out, record.tag);
    AppendLE32(out, static_cast<uint32_t>(record.data.size()));
    AppendBytes(out, record.data.data(), record.data.size());
    return out;
}

CopyDataDecode DecodeCopyData(std::span<const uint8_t> bytes, CopyDataRecord& record, size_t& consumed)
{
    consumed = 0;
    if (bytes.size() < kCopyDataHeaderBytes)
        return CopyDataDecode::NeedMore;
    uint32_t count = ReadLE32(bytes.data() + 4);
    if (count > kMaxCopyDataBytes)
        return CopyDataDecode::Invalid;
    if (bytes.size() - kCopyDataHeaderBytes < count)
        return CopyDataDecode::NeedMore;
    record.tag = ReadLE32(bytes.data());
    record.byteCount = count;
    const uint8_t* data = bytes.data() + kCopyDataHeaderBytes;
    record.data.assign(data, data + count);
    consumed = kCopyDataHeaderBytes + count;
    return CopyDataDecode::Complete;
}

std::string CopyDataText(const CopyDataRecord& record)
{
    auto end = std::find(record.data.begin(), record.data.end(), uint8_t(0));
    return std::string(record.data.begin(), end);
}

} // namespace bm::platform
