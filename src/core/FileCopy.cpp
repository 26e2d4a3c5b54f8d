#include "core/FileCopy.h"

#include "core/ReplacingFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace bm {

bool CopyFileDurably(const std::string& source, const std::string& target, Error* error)
{
    const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail(error, "cannot open " + source + ": " + std::strerror(errno));
    ReplacingFile out;
    bool ok = out.Create(target, error);
    std::vector<char> block(ok ? size_t(1) << 20 : 0);
    while (ok) {
        const ssize_t n = ::read(in, block.data(), block.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            ok = Fail(error, "cannot read " + source + ": " + std::strerror(errno));
        else if (n == 0)
            break;
        else
            ok = out.Write(block.data(), size_t(n), error);
    }
    ::close(in);
    return ok && out.Commit(ReplaceMode::Durable, error);
}

} // namespace bm
