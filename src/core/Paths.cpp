#include "core/Paths.h"

#include "core/Text.h"

#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace bm {

std::string ProgramPath()
{
    std::error_code ec;
    auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return {};
    return path.string();
}

std::string ProgramFolder() { return FolderPart(ProgramPath()); }

std::string NormaliseSeparators(std::string_view path)
{
    std::string out(path);
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

std::string AsFolder(std::string_view folder)
{
    std::string out(folder);
    if (!out.empty() && out.back() != '/')
        out.push_back('/');
    return out;
}

std::string MakeAbsolute(std::string_view path)
{
    if (path.empty())
        return {};
    std::filesystem::path p(NormaliseSeparators(path));
    std::error_code ec;
    if (p.is_relative()) {
        auto base = std::filesystem::current_path(ec);
        if (ec)
            return std::string(path);
        p = base / p;
    }
    std::string out = p.lexically_normal().string();
    // Keep a folder's trailing separator, which lexically_normal keeps as well.
    return out;
}

std::string FileNamePart(std::string_view path)
{
    size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FolderPart(std::string_view path)
{
    size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? std::string() : std::string(path.substr(0, cut + 1));
}

std::string StoreRelative(std::string_view path, const std::vector<std::string>& folders)
{
    std::string normal = NormaliseSeparators(path);
    size_t best = 0;
    for (const auto& folder : folders) {
        if (folder.empty() || folder.size() <= best || folder.size() > normal.size())
            continue;
        if (EqualsIgnoreCase(std::string_view(normal).substr(0, folder.size()), NormaliseSeparators(folder)))
            best = folder.size();
    }
    return normal.substr(best);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

bool FolderExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

std::string FindInFolders(std::string_view storedPath, const std::vector<std::string>& folders)
{
    std::string stored = NormaliseSeparators(storedPath);
    if (stored.empty())
        return {};
    for (const auto& folder : folders) {
        std::string candidate = folder.empty() ? stored : AsFolder(folder) + stored;
        if (!folder.empty() && !stored.empty() && stored.front() == '/')
            continue; // an absolute path is tried once, with the empty folder
        if (FileExists(candidate))
            return candidate;
    }
    return {};
}

std::vector<std::string> FolderList::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_folders;
}

void FolderList::Assign(std::vector<std::string> folders)
{
    std::lock_guard lock(m_mutex);
    m_folders = std::move(folders);
}

void FolderList::Clear()
{
    std::lock_guard lock(m_mutex);
    m_folders.clear();
}

void FolderList::Append(std::string folder)
{
    std::lock_guard lock(m_mutex);
    m_folders.push_back(std::move(folder));
}

std::string FolderList::Find(std::string_view storedPath) const
{
    std::lock_guard lock(m_mutex);
    return FindInFolders(storedPath, m_folders);
}

std::string FolderList::StoreRelative(std::string_view path) const
{
    std::lock_guard lock(m_mutex);
    return bm::StoreRelative(path, m_folders);
}

} // namespace bm
