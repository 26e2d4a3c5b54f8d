#include "song/WorkFiles.h"

#include "core/File.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "song/SongFile.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace bm {

namespace {

bool IsWorkFileName(const std::string& name)
{
    const std::string_view extension = kWorkFileExtension;
    return name.size() >= extension.size() &&
           EqualsIgnoreCase(std::string_view(name).substr(name.size() - extension.size()), extension);
}

} // namespace

std::string WorkFilePath(const std::string& tempFolder, std::string_view name)
{
    return AsFolder(tempFolder) + std::string(name) + kWorkFileExtension;
}

std::string LastSongPath(const std::string& programFolder) { return AsFolder(programFolder) + kLastSongName; }

std::optional<WorkFile> FindNewestWorkFile(const std::string& tempFolder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<std::string> names;
    for (fs::directory_iterator it(tempFolder.empty() ? "." : tempFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        std::string name = it->path().filename().string();
        if (IsWorkFileName(name))
            names.push_back(std::move(name));
    }
    // The folder's listing order is not fixed; by name it is, for ties.
    std::sort(names.begin(), names.end());
    std::optional<WorkFile> newest;
    int64_t newestTime = 0;
    for (std::string& name : names) {
        std::string path = AsFolder(tempFolder) + name;
        const int64_t time = FileWriteTime(path);
        if (time < 0)
            continue;
        if (!newest || time > newestTime) {
            newest = WorkFile{std::move(name), std::move(path)};
            newestTime = time;
        }
    }
    return newest;
}

bool DeleteNewestWorkFile(const std::string& tempFolder, WorkFile* deleted)
{
    std::optional<WorkFile> newest = FindNewestWorkFile(tempFolder);
    if (!newest)
        return false;
    if (deleted)
        *deleted = *newest;
    std::error_code ec;
    return std::filesystem::remove(newest->path, ec) && !ec;
}

int DeleteAllWorkFiles(const std::string& tempFolder)
{
    int count = 0;
    while (DeleteNewestWorkFile(tempFolder))
        ++count;
    return count;
}

bool KeepAsWorkFile(SongWriter& writer, const Song& song, const std::string& tempFolder, std::string_view name,
                    Error* error)
{
    return writer.Write(song, WorkFilePath(tempFolder, name), SongWriteMode::AsDocument, error);
}

bool GoBackToPreviousSong(SongReader& reader, Song& song, const std::string& tempFolder, WorkFile* loaded,
                          Error* error)
{
    std::optional<WorkFile> newest = FindNewestWorkFile(tempFolder);
    if (!newest)
        return Fail(error, "no work file in " + tempFolder);
    if (loaded)
        *loaded = *newest;
    if (!reader.ReadSong(newest->path, song, error))
        return false;
    std::error_code ec;
    std::filesystem::remove(newest->path, ec);
    return true;
}

bool WriteLastSong(SongWriter& writer, const Song& song, const std::string& programFolder, Error* error)
{
    if (song.measures.empty())
        return Fail(error, "the song has no measures");
    return writer.Write(song, LastSongPath(programFolder), SongWriteMode::AsDocument, error);
}

} // namespace bm
