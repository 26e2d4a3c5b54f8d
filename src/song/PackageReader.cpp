#include "song/PackageReader.h"

#include "core/File.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "library/LibraryReader.h"
#include "library/SampleResolver.h"
#include "ui/skin/ResourceArchive.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>
#include <unistd.h>

namespace bm {

namespace {

constexpr int kFullScore = 120;

std::string RandomSuffix()
{
    std::random_device random;
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(random()));
    return text;
}

// A hidden name beside the target, so that the final rename stays on one
// file system.
std::string StagingName(const std::string& target)
{
    return FolderPart(target) + ".~" + FileNamePart(target) + "." + RandomSuffix() + ".wcp";
}

std::string CanonicalFolder(const std::string& folder)
{
    std::error_code ec;
    auto path = std::filesystem::weakly_canonical(std::filesystem::path(folder.empty() ? "." : folder), ec);
    if (ec)
        return {};
    return AsFolder(path.string());
}

template <typename T>
int LastNamed(const std::vector<T>& list, const std::string& name)
{
    for (size_t i = list.size(); i-- > 0;) {
        if (list[i].name == name)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace

const char* PackageSampleActionName(PackageSampleAction action)
{
    switch (action) {
    case PackageSampleAction::Replaced: return "replaced";
    case PackageSampleAction::Kept: return "kept";
    case PackageSampleAction::KeptOutsideUserFolder: return "kept-outside-user-folder";
    case PackageSampleAction::Added: return "added";
    case PackageSampleAction::AddedExistingFile: return "added-existing-file";
    case PackageSampleAction::SameFile: return "same-file";
    case PackageSampleAction::Declined: return "declined";
    case PackageSampleAction::NoPlace: return "no-place";
    case PackageSampleAction::FolderRefused: return "folder-refused";
    case PackageSampleAction::NotReached: return "not-reached";
    }
    return "unknown";
}

bool IsInsideFolder(const std::string& path, const std::string& folder)
{
    const std::string base = CanonicalFolder(folder);
    const std::string parent = CanonicalFolder(FolderPart(MakeAbsolute(path)));
    return !base.empty() && !parent.empty() && StartsWith(parent, base) && !FileNamePart(path).empty();
}

// ---------------------------------------------------------------------------
// PackageImport

PackageImport::~PackageImport() { Finish(); }

PackageImport::PackageImport(PackageImport&& other) noexcept { *this = std::move(other); }

PackageImport& PackageImport::operator=(PackageImport&& other) noexcept
{
    if (this != &other) {
        Finish();
        library = std::move(other.library);
        song = std::move(other.song);
        songStats = std::move(other.songStats);
        songFile = std::move(other.songFile);
        startSong = std::move(other.startSong);
        samples = std::move(other.samples);
        m_files = std::move(other.m_files);
        m_state = other.m_state;
        other.m_files.clear();
        other.m_state = State::Empty;
    }
    return *this;
}

void PackageImport::Reset()
{
    Finish();
    *this = PackageImport{};
}

bool PackageImport::Commit(Error* error)
{
    if (m_state != State::Staged)
        return Fail(error, m_state == State::Committed ? "the import is already in place" : "nothing to import");
    for (auto& file : m_files) {
        if (FileExists(file.target)) {
            file.setAside = StagingName(file.target);
            if (::rename(file.target.c_str(), file.setAside.c_str()) != 0) {
                std::string why = "cannot set aside " + file.target;
                file.setAside.clear();
                m_state = State::Committed;
                Rollback();
                return Fail(error, why);
            }
        }
        if (::rename(file.staged.c_str(), file.target.c_str()) != 0) {
            std::string why = "cannot put " + file.target + " in place";
            m_state = State::Committed;
            Rollback();
            return Fail(error, why);
        }
        file.placed = true;
    }
    m_state = State::Committed;
    return true;
}

void PackageImport::Rollback()
{
    if (m_state == State::Committed) {
        for (auto file = m_files.rbegin(); file != m_files.rend(); ++file) {
            if (file->placed)
                ::unlink(file->target.c_str());
            if (!file->setAside.empty())
                ::rename(file->setAside.c_str(), file->target.c_str());
            if (!file->placed)
                ::unlink(file->staged.c_str());
        }
    } else if (m_state == State::Staged) {
        for (const auto& file : m_files)
            ::unlink(file.staged.c_str());
    }
    m_files.clear();
    m_state = State::Empty;
}

void PackageImport::Finish()
{
    if (m_state == State::Committed) {
        for (const auto& file : m_files) {
            if (!file.setAside.empty())
                ::unlink(file.setAside.c_str());
        }
        m_files.clear();
        m_state = State::Empty;
    } else {
        Rollback();
    }
}

// ---------------------------------------------------------------------------
// PackageReader

namespace {

struct PlannedFile {
    std::string entryName;
    std::string target;
};

// One read of one package: the library copy, the resolver over it, the
// for-all answer and the files to extract.
class PackageSession {
public:
    PackageSession(const PackageFolders& folders, PackageQuestions& questions, ResourceArchive& archive,
                   SampleLibrary library)
        : m_folders(folders), m_questions(questions), m_archive(archive), m_library(std::move(library))
    {
    }

    // Works out every sample of the index in order. When the person ends the
    // reading of the index, the remaining samples are not reached.
    void Run(const std::vector<PackageSample>& samples, std::vector<PackageSampleResult>& results)
    {
        bool ended = false;
        for (const auto& sample : samples) {
            PackageSampleResult result;
            result.sample = sample;
            result.ref = SampleRef::Empty();
            if (!ended)
                ended = !Place(sample, result);
            results.push_back(std::move(result));
        }
    }

    SampleLibrary& Library() { return m_library; }
    const std::vector<PlannedFile>& Planned() const { return m_planned; }

private:
    const SampleResolver& Resolver()
    {
        if (!m_resolver)
            m_resolver.emplace(m_library, m_folders.sampleFolders, m_folders.programFolder);
        return *m_resolver;
    }

    void LibraryChanged() { m_resolver.reset(); }

    void Plan(const std::string& entryName, const std::string& target)
    {
        for (auto& planned : m_planned) {
            if (planned.target == target) {
                planned.entryName = entryName;
                return;
            }
        }
        m_planned.push_back({entryName, target});
    }

    bool IsPlanned(const std::string& target) const
    {
        for (const auto& planned : m_planned) {
            if (planned.target == target)
                return true;
        }
        return false;
    }

    // False when the person ended the reading of the index.
    bool Place(const PackageSample& sample, PackageSampleResult& result)
    {
        // The path is the sender's; only its file name means something here
        // (it is the name the sample gets in the user folder). Searching with
        // "/" + that name matches, by the end of the full path, a sample of
        // that file name wherever this installation keeps it: the package's
        // own samples after an earlier unpack, and the sender's own samples.
        SlotTexts texts = sample.texts;
        // Built by appending: g++ 12 warns falsely about "literal" + string.
        texts.path = "/";
        texts.path += sample.FileName();
        Resolution found = Resolver().Resolve(texts, FuzzySearch::Allowed);
        result.score = found.score;
        if (found.score == kFullScore) {
            Replace(sample, found.ref, result);
            return true;
        }
        return Add(sample, result);
    }

    void Replace(const PackageSample& sample, const SampleRef& ref, PackageSampleResult& result)
    {
        const SampleDescriptor* local = m_library.Find(ref);
        std::string localFile = FindInFolders(local->path, m_folders.sampleFolders);
        if (localFile.empty())
            localFile = Resolver().FullPath(local->path);
        localFile = MakeAbsolute(localFile);
        result.ref = ref;
        result.file = localFile;

        ReplaceAnswer answer;
        if (m_forAll) {
            answer = *m_forAll;
        } else {
            ReplaceChoice choice = m_questions.AskReplace(sample, localFile);
            answer = choice.answer;
            if (choice.forAll)
                m_forAll = answer;
        }
        if (answer == ReplaceAnswer::Keep) {
            result.action = PackageSampleAction::Kept;
        } else if (!IsInsideFolder(localFile, m_folders.userFolder)) {
            result.action = PackageSampleAction::KeptOutsideUserFolder;
        } else {
            Plan(sample.entryName, localFile);
            result.action = PackageSampleAction::Replaced;
        }
    }

    // Whether something lies at `target`, and if so whether it is a file
    // with the same bytes as the entry.
    enum class Occupant { None, SameFile, Other };
    Occupant OccupantOf(const std::string& target, const std::string& entryName)
    {
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(target, ec)))
            return Occupant::None;
        std::string onDisk;
        std::string packed;
        if (FileExists(target) && ReadWholeFile(target, onDisk) && m_archive.ReadWholeEntry(entryName, packed)
            && onDisk == packed)
            return Occupant::SameFile;
        return Occupant::Other;
    }

    bool Add(const PackageSample& sample, PackageSampleResult& result)
    {
        const SlotTexts& texts = sample.texts;
        auto& styles = m_library.styles;
        if (styles.empty())
            return Drop(result, PackageSampleAction::NoPlace);
        int s = LastNamed(styles, texts.style);
        auto& style = styles[s >= 0 ? size_t(s) : styles.size() - 1];
        if (style.groups.empty())
            return Drop(result, PackageSampleAction::NoPlace);
        int g = LastNamed(style.groups, texts.group);
        auto& group = style.groups[g >= 0 ? size_t(g) : style.groups.size() - 1];
        if (group.parts.empty())
            return Drop(result, PackageSampleAction::NoPlace);
        int p = LastNamed(group.parts, texts.part);
        auto& part = group.parts[p >= 0 ? size_t(p) : group.parts.size() - 1];
        if (part.chords.empty())
            return Drop(result, PackageSampleAction::NoPlace);
        int c = LastNamed(part.chords, texts.chord);
        const size_t chordIndex = c >= 0 ? size_t(c) : 0;
        auto& chord = part.chords[chordIndex];
        if (!IsSafeChordFolder(chord.folder))
            return Drop(result, PackageSampleAction::FolderRefused);

        const std::string fileName = sample.FileName();
        const std::string target =
            MakeAbsolute(AsFolder(m_folders.userFolder) + AsFolder(NormaliseSeparators(chord.folder)) + fileName);
        if (!IsInsideFolder(target, m_folders.userFolder))
            return Drop(result, PackageSampleAction::FolderRefused);

        SampleDescriptor added;
        added.firstText = texts.first;
        added.secondText = texts.second;
        added.fourthText = texts.fourth;
        added.path = StoreRelative(target, m_folders.sampleFolders);
        added.length = 0;
        added.nominalLength = sample.nominalLength;
        added.kind = sample.kind;

        // Another sample of the chord with a file of that name: the new one
        // would overwrite it. The same texts only earn a notice.
        for (const auto& entry : chord.entries) {
            bool noticed = false;
            for (const auto& other : entry.variants) {
                if (other.IsEmpty())
                    continue;
                if (FileNamePart(other.path) == fileName) {
                    m_questions.SameFileError(sample, fileName);
                    return Drop(result, PackageSampleAction::SameFile);
                }
                if (other.firstText == added.firstText && other.secondText == added.secondText) {
                    m_questions.SameNameNotice(sample, other);
                    noticed = true;
                    break;
                }
            }
            if (noticed)
                break;
        }
        // A file of another sample of this package, or one that lies there
        // with other contents, is not overwritten either.
        const Occupant occupant = IsPlanned(target) ? Occupant::Other : OccupantOf(target, sample.entryName);
        if (occupant == Occupant::Other) {
            m_questions.SameFileError(sample, fileName);
            return Drop(result, PackageSampleAction::SameFile);
        }

        NormaliseEntries(chord);
        LibraryChanged();
        const int32_t entryIndex = static_cast<int32_t>(chord.entries.size() - 1);
        const SampleRef place = SampleRef::Make(static_cast<int32_t>(&style - styles.data()),
                                                static_cast<int32_t>(&group - style.groups.data()),
                                                static_cast<int32_t>(&part - group.parts.data()),
                                                static_cast<int32_t>(chordIndex), 0, entryIndex);
        SampleDescriptor& slot = chord.entries.back().variants[0];
        slot = added;
        NewSampleOutcome outcome = m_questions.ConfirmNewSample(place, slot);
        if (!outcome.accepted) {
            slot = SampleDescriptor{};
            Drop(result, PackageSampleAction::Declined);
            return outcome.skipped;
        }
        result.ref = place;
        result.file = target;
        if (occupant == Occupant::SameFile) {
            result.action = PackageSampleAction::AddedExistingFile;
        } else {
            Plan(sample.entryName, target);
            result.action = PackageSampleAction::Added;
        }
        return true;
    }

    static bool Drop(PackageSampleResult& result, PackageSampleAction action)
    {
        result.action = action;
        result.ref = SampleRef::Empty();
        return true;
    }

    const PackageFolders& m_folders;
    PackageQuestions& m_questions;
    ResourceArchive& m_archive;
    SampleLibrary m_library;
    std::optional<SampleResolver> m_resolver;
    std::optional<ReplaceAnswer> m_forAll;
    std::vector<PlannedFile> m_planned;
};

} // namespace

PackageReader::PackageReader(PackageFolders folders, PackageQuestions& questions)
    : m_folders(std::move(folders)), m_questions(questions)
{
}

bool PackageReader::Read(const std::string& path, const SampleLibrary& library, PackageImport& out, Error* error)
{
    out.Reset();
    if (!FileExists(path))
        return Fail(error, "no package at " + path);
    ResourceArchive archive(ResourceArchive::kPackageMagic);
    if (!archive.Open(path, ArchiveAccess::ReadOnly, error))
        return false;

    // The whole index is checked before anything is asked or written.
    if (archive.FindEntry(kPackageIndexName) < 0)
        return Fail(error, path + " is not a song package: it has no " + kPackageIndexName);
    if (archive.GetEntrySize(kPackageIndexName) > kMaxPackageIndexBytes)
        return Fail(error, std::string(kPackageIndexName) + " is too large to be a sample index");
    std::string indexText;
    if (!archive.ReadWholeEntry(kPackageIndexName, indexText))
        return Fail(error, "cannot read " + std::string(kPackageIndexName) + " from " + path);
    std::vector<PackageSample> samples;
    if (!ParsePackageIndex(indexText, samples, error))
        return false;
    if (archive.FindEntry(kPackageSongName) < 0)
        return Fail(error, path + " holds no song (" + kPackageSongName + ")");
    for (const auto& sample : samples) {
        if (archive.FindEntry(sample.entryName) < 0)
            return Fail(error, "the index names \"" + sample.entryName + "\", which " + path + " does not hold");
    }

    PackageSession session(m_folders, m_questions, archive, library);
    std::vector<PackageSampleResult> results;
    session.Run(samples, results);

    const std::string work = m_folders.WorkFolder();
    std::error_code ec;
    std::filesystem::create_directories(work, ec);
    const std::string songFile = work + kPackageSongName;
    if (!archive.ExtractEntry(kPackageSongName, songFile, error))
        return false;

    PackageImport staged;
    staged.m_state = PackageImport::State::Staged;
    for (const auto& planned : session.Planned()) {
        std::filesystem::create_directories(FolderPart(planned.target), ec);
        PackageImport::StagedFile file;
        file.target = planned.target;
        file.staged = StagingName(planned.target);
        if (!IsInsideFolder(file.staged, m_folders.userFolder))
            return Fail(error, "refused to write " + file.target + " outside the user folder");
        if (!archive.ExtractEntry(planned.entryName, file.staged, error))
            return false; // `staged` drops what it holds
        staged.m_files.push_back(std::move(file));
    }
    archive.Close();

    SampleLibrary& imported = session.Library();
    NormaliseAllEntries(imported);
    Song song;
    SongReader reader(imported, m_folders.sampleFolders, m_folders.programFolder);
    if (!reader.ReadSong(songFile, song, error))
        return false;

    staged.songStats = reader.Stats();
    staged.song = std::move(song);
    staged.library = std::move(imported);
    staged.songFile = songFile;
    staged.startSong = staged.songStats.hadPath ? staged.songStats.documentPath : songFile;
    staged.samples = std::move(results);
    out = std::move(staged);
    return true;
}

} // namespace bm
