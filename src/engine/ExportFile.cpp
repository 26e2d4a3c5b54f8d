#include "engine/ExportFile.h"

#include "core/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace bm::engine {

namespace {

// Temporary names tried in the target's folder before giving up.
constexpr int kTemporaryNames = 1000;

// Reserves a free name in `folder` by creating it exclusively; empty when
// none could be made (the folder is missing or not writable).
std::string ReserveTemporaryName(const std::string& folder, Error* error)
{
    for (int n = 0; n < kTemporaryNames; ++n) {
        const std::string path = folder + ".brickmelody-export-" + std::to_string(n) + ".tmp";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            ::close(fd);
            return path;
        }
        if (errno != EEXIST) {
            Fail(error, "cannot create a file in " + (folder.empty() ? std::string("./") : folder) + ": " +
                            std::strerror(errno));
            return {};
        }
    }
    Fail(error, "no free temporary name in " + folder);
    return {};
}

bool SyncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace

ExportFile::~ExportFile() { Discard(); }

bool ExportFile::Create(const std::string& target, Error* error)
{
    Discard();
    struct stat info {};
    if (target.empty() || target.back() == '/' || (::stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode)))
        return Fail(error, "not a file name: " + target);
    m_temporary = ReserveTemporaryName(FolderPart(target), error);
    if (m_temporary.empty())
        return false;
    if (!m_stream.Create(m_temporary, error)) {
        Discard();
        return false;
    }
    m_target = target;
    return true;
}

bool ExportFile::WriteAt(int64_t offset, const void* data, int64_t bytes)
{
    if (!m_stream.IsOpen() || offset < 0 || offset > m_stream.Length())
        return false;
    m_stream.Seek(offset);
    return m_stream.Position() == offset && m_stream.Write(data, bytes);
}

bool ExportFile::Commit(Error* error)
{
    if (!m_stream.IsOpen() || m_temporary.empty())
        return Fail(error, "no export file is open");
    m_stream.Close();
    if (!SyncFile(m_temporary)) {
        const std::string reason = std::strerror(errno);
        Discard();
        return Fail(error, "cannot write " + m_target + ": " + reason);
    }
    if (std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        Discard();
        return Fail(error, "cannot rename the export to " + m_target + ": " + reason);
    }
    m_temporary.clear();
    m_target.clear();
    return true;
}

void ExportFile::Discard()
{
    m_stream.Close();
    if (!m_temporary.empty())
        std::remove(m_temporary.c_str());
    m_temporary.clear();
    m_target.clear();
}

} // namespace bm::engine
