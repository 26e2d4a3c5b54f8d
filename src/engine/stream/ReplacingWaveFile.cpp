#include "engine/stream/ReplacingWaveFile.h"

namespace bm::stream {

ReplacingWaveFile::~ReplacingWaveFile() { Discard(); }

bool ReplacingWaveFile::Create(const std::string& target, Error* error)
{
    Discard();
    if (!m_file.Create(target, error))
        return false;
    if (!m_stream.Create(m_file.TemporaryPath(), error)) {
        Discard();
        return false;
    }
    return true;
}

bool ReplacingWaveFile::WriteAt(int64_t offset, const void* data, int64_t bytes)
{
    if (!m_stream.IsOpen() || offset < 0 || offset > m_stream.Length())
        return false;
    m_stream.Seek(offset);
    return m_stream.Position() == offset && m_stream.Write(data, bytes);
}

bool ReplacingWaveFile::Commit(Error* error)
{
    if (!m_stream.IsOpen())
        return Fail(error, "no wave file is open");
    m_stream.Close();
    return m_file.Commit(ReplaceMode::Durable, error);
}

void ReplacingWaveFile::Discard()
{
    m_stream.Close();
    m_file.Discard();
}

} // namespace bm::stream
