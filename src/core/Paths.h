#pragma once

// Path helpers. Inside the program paths use '/', and a folder string always
// ends with '/'. Stored paths written with '\' (songs and packages made on
// other systems) are accepted and turned into '/'.

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace bm {

// Full path of the running executable (from /proc/self/exe); empty on failure.
std::string ProgramPath();
// The folder of the running executable, ending with '/'.
std::string ProgramFolder();

// Turns every '\' into '/'.
std::string NormaliseSeparators(std::string_view path);
// Appends '/' unless the text is empty or already ends with one.
std::string AsFolder(std::string_view folder);
// An absolute, lexically normal form of the path against the current folder
// (no file system access beyond the current folder). Empty stays empty.
std::string MakeAbsolute(std::string_view path);
// The part after the last separator ('/' or '\').
std::string FileNamePart(std::string_view path);
// The part up to and including the last separator; empty when there is none.
std::string FolderPart(std::string_view path);

// Stores a path relative to the folder of `folders` that is its longest
// prefix, compared ignoring case. Paths under no folder stay as they are.
std::string StoreRelative(std::string_view path, const std::vector<std::string>& folders);

// Finds a stored (relative or absolute) path again: each folder of the list
// in order, folder + path, the first that names an existing regular file.
// Returns the full path, or empty when none exists.
std::string FindInFolders(std::string_view storedPath, const std::vector<std::string>& folders);

bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

// The sample folder list with its lock. Every thread that searches sample
// files copies or reads the list under the lock.
class FolderList {
public:
    std::vector<std::string> Snapshot() const;
    void Assign(std::vector<std::string> folders);
    void Clear();
    void Append(std::string folder);
    // Runs `fn(const std::vector<std::string>&)` while holding the lock.
    template <typename Fn>
    auto With(Fn&& fn) const
    {
        std::lock_guard lock(m_mutex);
        return fn(m_folders);
    }
    std::string Find(std::string_view storedPath) const;
    std::string StoreRelative(std::string_view path) const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_folders;
};

} // namespace bm
