#include "song/PackageWriter.h"

#include "core/File.h"
#include "core/Text.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "ui/skin/ResourceArchive.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace bm {

namespace {

bool IsSongFile(const std::string& path)
{
    return path.size() >= 4 && EqualsIgnoreCase(std::string_view(path).substr(path.size() - 4), ".ncp");
}

} // namespace

std::string ReversedIndex(const std::string& indexText)
{
    // Split at each line end; the text after the last line end (empty for a
    // finished text) is a line too and so becomes the leading empty line.
    std::vector<std::string_view> lines;
    std::string_view rest(indexText);
    for (;;) {
        size_t end = rest.find("\r\n");
        if (end == std::string_view::npos) {
            lines.push_back(rest);
            break;
        }
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 2);
    }
    std::string out;
    out.reserve(indexText.size() + 2);
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        AppendLine(out, *line);
    return out;
}

PackageWriter::PackageWriter(const SampleLibrary& library, PackageFolders folders)
    : m_library(library), m_folders(std::move(folders))
{
}

PackageWriter::~PackageWriter() = default;

bool PackageWriter::Write(const Song& song, const std::string& target, Error* error)
{
    m_collection.clear();
    m_index.clear();
    m_calls = 0;
    m_failed = false;
    m_error = Error{};

    m_archive = std::make_unique<ResourceArchive>(ResourceArchive::kPackageMagic);
    struct CloseArchive {
        std::unique_ptr<ResourceArchive>& archive;
        ~CloseArchive() { archive.reset(); }
    } closeArchive{m_archive};

    ::unlink(target.c_str());
    if (!m_archive->Open(target, ArchiveAccess::ReadWrite, error))
        return false;

    const std::string work = m_folders.WorkFolder();
    std::error_code ec;
    std::filesystem::create_directories(work, ec);
    if (!FolderExists(work))
        return Fail(error, "cannot create the package work folder " + work);

    const std::string songFile = work + kPackageSongName;
    SongWriter writer(m_library, m_folders.sampleFolders, m_folders.programFolder);
    if (!writer.Write(song, songFile, SongWriteMode::AsDocument, error))
        return false;
    if (!m_archive->AddFile(kPackageSongName, songFile, error))
        return false;

    Collect(song.measures);
    if (m_failed) {
        if (error)
            *error = m_error;
        return false;
    }

    const std::string indexFile = work + kPackageIndexName;
    if (!WriteFileDurably(indexFile, ReversedIndex(m_index), error))
        return false;
    if (!m_archive->AddFile(kPackageIndexName, indexFile, error))
        return false;
    m_archive->Close();
    return true;
}

void PackageWriter::Collect(const std::vector<Measure>& measures)
{
    if (m_calls >= kMaxCollectorCalls)
        return;
    ++m_calls;
    for (const Measure& measure : measures) {
        for (const ChannelSlot& slot : measure.slots) {
            if (m_failed)
                return;
            if (slot.IsEmpty())
                continue;
            const LibraryPart* part = m_library.FindPart(slot.ref);
            if (part == nullptr || part->factory != 0)
                continue;
            if (std::find(m_collection.begin(), m_collection.end(), slot.ref) != m_collection.end())
                continue;
            std::string songFile;
            if (!PackSample(slot.ref, songFile))
                continue;
            if (!songFile.empty()) {
                // A song used as a sample: its own samples go in too.
                SongFragment inner;
                SongReader reader(m_library, m_folders.sampleFolders, m_folders.programFolder);
                if (reader.ReadClipboard(songFile, inner))
                    Collect(inner.measures);
            }
        }
    }
}

// Packs one sample when its file can be found. `songFile` receives the file
// when the sample is a song.
bool PackageWriter::PackSample(const SampleRef& ref, std::string& songFile)
{
    const SampleDescriptor* sample = m_library.Find(ref);
    if (sample == nullptr || sample->IsEmpty())
        return false;
    const std::string found = FindInFolders(sample->path, m_folders.sampleFolders);
    if (found.empty())
        return false;
    m_collection.push_back(ref);
    const std::string entryName = std::to_string(m_collection.size() - 1) + ".smp";

    const auto& style = m_library.styles[size_t(ref.Style())];
    const auto& group = style.groups[size_t(ref.Group())];
    const auto& part = group.parts[size_t(ref.Part())];
    const auto& chord = part.chords[size_t(ref.Chord())];
    PackageSample line;
    line.entryName = entryName;
    line.texts = SlotTexts{style.name,        group.name,         part.name,           chord.name,
                           sample->firstText, sample->secondText, MakeAbsolute(found), sample->fourthText};
    line.nominalLength = sample->nominalLength;
    line.kind = sample->kind;
    m_index += FormatPackageSample(line);

    if (!m_archive->AddFile(entryName, found, &m_error)) {
        m_failed = true;
        return false;
    }
    if (IsSongFile(found))
        songFile = found;
    return true;
}

} // namespace bm
