// Library-entry commands: properties, removing samples, the sample file
// dialog, adding sample files, editing a library song, copying a shipped
// sample to the sample folder, pitched copies, recording into an entry,
// inserting an empty entry, dragging an entry and selecting alike slots.

#include "ui/main/CommandIds.h"
#include "ui/main/DocumentIdentity.h"
#include "ui/main/LibraryRows.h"
#include "ui/main/MainController.h"
#include "ui/main/SampleDialogFields.h"
#include "ui/main/Selection.h"
#include "ui/main/TextFill.h"

#include "core/FileCopy.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "library/SampleLibrary.h"
#include "song/SongEditing.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "song/WorkFiles.h"
#include "ui/dialogs/RecordDialog.h"
#include "ui/dialogs/SampleDialog.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace bm::ui {

namespace {

constexpr int32_t kSongNominalLength = 81408;
constexpr int32_t kLongestNominalLength = 117568;
constexpr int32_t kShortestNominalLength = 26432;

bool EndsWithIgnoringCase(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && EqualsIgnoreCase(text.substr(text.size() - end.size()), end);
}

std::string NameWithoutExtension(const std::string& path)
{
    std::string name = FileNamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// Every slot, in the song and in both fragments, whose reference lies in the
// chord of `chord` gets `map` applied to its entry word.
template <typename Fn>
void ForEachRefInChord(std::vector<Measure>& measures, const SampleRef& chord, Fn&& fn)
{
    for (Measure& m : measures) {
        for (ChannelSlot& slot : m.slots) {
            const SampleRef& r = slot.ref;
            if (!slot.IsEmpty() && r.Style() == chord.Style() && r.Group() == chord.Group() &&
                r.Part() == chord.Part() && r.Chord() == chord.Chord())
                fn(slot);
        }
    }
}

// Songs used as samples, and every sample of the songs' style, are never
// stretched: the kind list offers only "not stretched".
bool KindRestricted(const SampleDescriptor& d, const SampleRef& place)
{
    return EndsWithIgnoringCase(d.path, ".ncp") || place.Style() == 1;
}

} // namespace

int32_t MainController::SampleProperties(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    const SampleDescriptor& cell = *SelectedFilledCell(m_state);
    dialogs::SampleRequest request = SampleRequestFor(dialogs::SampleDialogMode::Properties, cell);
    request.restrictKinds = KindRestricted(cell, ref);
    dialogs::SampleResult result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.sample->Run(request);
    }
    if (result.outcome != dialogs::SampleOutcome::Ok)
        return 0;
    SampleDescriptor* target = m_state.doc.library.Find(ref);
    const std::string oldPath = target->path;
    ApplySampleResult(result, *target);
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_services.engine.Post(engine::DeleteSampleCache{ref, oldPath});
    for (int32_t m = 0; m < m_state.Measures(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            if (m_state.doc.song.measures[m].slots[c].ref == ref)
                NotifySlotChanged(m, c);
        }
    }
    m_view.Repaint(Area::Library);
    m_view.Repaint(Area::Arrangement);
    return 1;
}

int32_t MainController::RemoveSamples(int32_t, int64_t)
{
    if (Ask(m_texts.remFiles, platform::MessageButtons::YesNo, platform::MessageIcon::Question, 1) !=
        platform::MessageAnswer::Yes)
        return 0;
    const SampleRef ref = m_state.view.librarySelection;
    LibraryChord* chord = m_state.doc.library.FindChord(ref);
    const int32_t entry = ref.Entry();
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    // Only files the program made for the person (inside the user folder)
    // are deleted: a sample added from elsewhere on the disk stays there.
    const std::string userFolder = AsFolder(m_services.app.options.userFolder);
    for (const SampleDescriptor& d : chord->entries[entry].variants) {
        if (d.IsEmpty())
            continue;
        const std::string file = m_services.app.folders.Find(d.path);
        if (!file.empty() && !userFolder.empty() && file.rfind(userFolder, 0) == 0 &&
            file.find("/../") == std::string::npos)
            std::remove(file.c_str());
        SampleRef cell = ref;
        m_services.engine.Post(engine::DeleteSampleCache{cell, d.path});
    }
    chord->entries.erase(chord->entries.begin() + entry);
    NormaliseEntries(*chord);
    // Slots of the removed entry keep their place but play nothing; later
    // entries move one place up.
    auto renumber = [&](ChannelSlot& slot) {
        if (slot.ref.Entry() == entry)
            slot.ref = UnresolvedRef();
        else if (slot.ref.Entry() > entry)
            --slot.ref.words[5];
    };
    for (int32_t m = 0; m < m_state.Measures(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            ChannelSlot& slot = m_state.doc.song.measures[m].slots[c];
            const SampleRef& r = slot.ref;
            if (!slot.IsEmpty() && r.Style() == ref.Style() && r.Group() == ref.Group() && r.Part() == ref.Part() &&
                r.Chord() == ref.Chord() && r.Entry() >= entry) {
                renumber(slot);
                NotifySlotChanged(m, c);
            }
        }
    }
    ForEachRefInChord(m_state.doc.clipboard.measures, ref, [&](ChannelSlot& s) {
        if (s.ref.Entry() >= entry)
            renumber(s);
    });
    ForEachRefInChord(m_state.doc.placement.measures, ref, [&](ChannelSlot& s) {
        if (s.ref.Entry() >= entry)
            renumber(s);
    });
    m_state.view.librarySelection = SampleRef::Empty();
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_view.Repaint(Area::Library);
    m_view.Repaint(Area::Arrangement);
    return 1;
}

int32_t MainController::SampleFile(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    const SampleDescriptor& cell = *SelectedFilledCell(m_state);
    dialogs::SampleRequest request = SampleRequestFor(dialogs::SampleDialogMode::Properties, cell);
    request.restrictKinds = KindRestricted(cell, ref);
    request.offerSkip = m_skipFlag != nullptr;
    dialogs::SampleResult result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.sample->Run(request);
    }
    if (result.outcome != dialogs::SampleOutcome::Ok) {
        if (m_skipFlag)
            *m_skipFlag = result.outcome == dialogs::SampleOutcome::Skipped;
        return 0;
    }
    ApplySampleResult(result, *m_state.doc.library.Find(ref));
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::AddFileToCell(int32_t, int64_t) { return AddSampleFiles(true); }

int32_t MainController::AddSamples(int32_t, int64_t) { return AddSampleFiles(false); }

int32_t MainController::AddSampleFiles(bool intoCell)
{
    if (m_state.view.dragState != kDragIdle && m_state.view.dragState != kDragButtonDown)
        return 0;
    platform::OpenFileRequest request;
    request.filter = m_texts.extKnown.text + "|*.wav;*.mp3;*.ncp|" + m_texts.extAll.text + "|*.*||";
    request.defaultExtension = "*.wav";
    request.initialFolder = m_services.app.options.fileDialogFolder;
    request.multiple = !intoCell;
    std::vector<std::string> files;
    bool chosen = false;
    {
        BusyScope busy(*this);
        chosen = m_services.dialogs.OpenFiles(request, files);
    }
    m_state.view.dragState = kDragAfterDialog;
    if (!chosen)
        return 1;

    SampleLibrary& lib = m_state.doc.library;
    SampleRef chordRef = intoCell ? m_state.view.librarySelection : SampleRef::Empty();
    if (!intoCell) {
        const LibrarySelection& s = lib.selection;
        chordRef = SampleRef::Make(s.style, s.group, s.part, s.chord, 0, 0);
    }
    LibraryChord* chord = lib.FindChord(chordRef);
    if (!chord)
        return 1;
    // New entries start at the chord's free place, so no empty entry is
    // left between the old samples and the new ones.
    int32_t freeEntry = static_cast<int32_t>(chord->entries.size());
    if (freeEntry > 0 && chord->entries.back().IsEmpty())
        --freeEntry;
    int32_t n = 6 * freeEntry;

    for (const std::string& file : files) {
        const std::string path = MakeAbsolute(file);
        m_services.app.options.fileDialogFolder = FolderPart(path);
        const std::string name = NameWithoutExtension(path);
        // A file the stream layer cannot read (no sound in it, a damaged
        // header, another kind of file) would only be an entry that plays
        // nothing: it is not taken, and the status line says why.
        const int64_t estimate = m_services.samples.EstimateImportBytes(path);
        if (estimate <= 0) {
            Status(m_texts.restoreErr, FileNamePart(path) + ": no sound can be read from this file");
            if (intoCell)
                break;
            continue;
        }
        SampleRef target = chordRef;
        if (!intoCell) {
            const int32_t entry = n / 6;
            while (static_cast<int32_t>(chord->entries.size()) <= entry)
                chord->entries.emplace_back();
            target.words[4] = n % 6;
            target.words[5] = entry;
        }
        m_state.view.librarySelection = target;
        SampleDescriptor& d = *lib.Find(target);
        d = SampleDescriptor{};
        d.firstText = name;
        d.path = path;
        d.fourthText = name;
        d.length = static_cast<int32_t>(std::min<int64_t>(estimate / 4, INT32_MAX));

        bool refused = false;
        const std::string fileName = FileNamePart(path);
        for (size_t e = 0; e < chord->entries.size() && !refused; ++e) {
            bool stop = false;
            for (int v = 0; v < kVariantsPerEntry; ++v) {
                const SampleDescriptor& other = chord->entries[e].variants[v];
                if (&other == &d || other.IsEmpty())
                    continue;
                if (EqualsIgnoreCase(FileNamePart(other.path), fileName)) {
                    Ask(m_texts.sameFileWarn, platform::MessageButtons::Ok, platform::MessageIcon::Stop);
                    refused = true;
                    break;
                }
                if (other.firstText == d.firstText && other.secondText == d.secondText) {
                    Ask(m_texts.sameNameWarn, platform::MessageButtons::Ok, platform::MessageIcon::Information);
                    stop = true;
                    break;
                }
            }
            if (stop)
                break;
        }
        if (refused) {
            d = SampleDescriptor{};
            if (intoCell)
                break;
            continue;
        }
        const int32_t style = target.Style();
        const int32_t group = target.Group();
        if (EndsWithIgnoringCase(path, ".ncp") || style == 1) {
            d.kind = 0;
            d.nominalLength = kSongNominalLength;
        } else {
            d.kind = style == 0 ? (group <= 1 ? 1 : group == 2 ? 2 : 3) : 0;
            int32_t nominal = d.length;
            while (nominal > kLongestNominalLength)
                nominal >>= 1;
            d.nominalLength = nominal;
            if (nominal < kShortestNominalLength) {
                d.kind = 0;
                d.nominalLength = kSongNominalLength;
            }
        }
        m_view.Repaint(Area::Library);
        bool skip = false;
        m_skipFlag = &skip;
        const int32_t ok = OnCommand(cmd::kSampleFile);
        m_skipFlag = nullptr;
        if (ok == 1) {
            if (intoCell)
                break;
            n += 2;
            continue;
        }
        *lib.Find(target) = SampleDescriptor{};
        if (!skip)
            break;
    }
    NormaliseEntries(*chord);
    m_services.samples.PublishLibrary(lib);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::EditLibrarySong(int32_t, int64_t)
{
    const SampleDescriptor descriptor = *SelectedFilledCell(m_state);
    const LibraryPart* part = SelectedPart(m_state);
    const bool shipped = part && part->factory != 0;
    if (m_state.Measures() > 0 && !m_state.doc.song.unchanged) {
        const platform::MessageAnswer answer =
            Ask(m_texts.saveChanges, platform::MessageButtons::YesNoCancel, platform::MessageIcon::Exclamation);
        if (answer == platform::MessageAnswer::Cancel)
            return 0;
        if (answer == platform::MessageAnswer::Yes && OnCommand(cmd::kSave) == 0)
            return 0;
    }
    const std::string& temp = m_services.app.options.temporaryFolder;
    SongWriter writer = MakeWriter();
    const std::string keptName = m_state.doc.fileTitle.empty() ? "untitled" : NameWithoutExtension(m_state.doc.fileTitle);
    if (m_state.Measures() > 0 && !KeepAsWorkFile(writer, m_state.doc.song, temp, keptName))
        return 0;
    const std::string file = m_services.app.folders.Find(descriptor.path);
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    Error error;
    if (file.empty() || !MakeReader().ReadSong(file, m_state.doc.song, &error)) {
        SongReader reader = MakeReader();
        GoBackToPreviousSong(reader, m_state.doc.song, temp);
        Status(m_texts.restoreErr, FileNamePart(descriptor.path) + ": " +
                                       (file.empty() ? std::string("the file is missing") : error.message));
        SetDocumentName(m_state.doc.song.path);
        AfterOpen();
        return 0;
    }
    std::string name = file;
    if (shipped) {
        // A shipped song is edited as a copy, so saving never overwrites it.
        const size_t dot = name.rfind('.');
        name = dot == std::string::npos ? name + " (copy)" : name.substr(0, dot) + " (copy)" + name.substr(dot);
    }
    m_state.doc.song.unchanged = true;
    m_state.doc.named = !shipped;
    SetDocumentName(name);
    AfterOpen();
    return 1;
}

int32_t MainController::CopyToSampleFolder(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    SampleDescriptor& d = *m_state.doc.library.Find(ref);
    const std::string source = m_services.app.folders.Find(d.path);
    if (source.empty())
        return 0;
    const std::string target = m_services.app.programFolder + "SMPLDATA/" + FileNamePart(source);
    Error error;
    if (!CopyFileDurably(source, target, &error)) {
        Status(m_texts.saveError, ReplacePercent(m_texts.saveError.text, target));
        return 0;
    }
    d.path = m_services.app.folders.StoreRelative(target);
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::PitchedCopy(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    const SampleDescriptor source = *SelectedFilledCell(m_state);
    const LibraryPart* part = SelectedPart(m_state);
    const LibraryChord* chord = SelectedChord(m_state);
    const std::string file = m_services.app.folders.Find(source.path);
    std::string folder = FolderPart(file.empty() ? source.path : file);
    if (part && part->factory != 0 && chord)
        folder = AsFolder(m_services.app.options.userFolder) + AsFolder(chord->folder);
    std::string stem = NameWithoutExtension(source.path);
    if (stem.empty())
        stem = "new_note";
    if (EndsWithIgnoringCase(source.path, ".ncp")) {
        const Song& song = m_state.doc.song;
        const double bpm = 21168000.0 / (double(song.samplesPerMeasure) * song.measuresPerBar);
        char tempo[32];
        std::snprintf(tempo, sizeof tempo, " %.1fbpm ", bpm);
        stem += tempo;
    }
    dialogs::SampleRequest request = SampleRequestFor(dialogs::SampleDialogMode::PitchCopy, source);
    request.path = folder + stem + "(pitch%s%s%s).wav";
    request.name = source.firstText + " %s";
    request.fourth = source.fourthText + " (pitched by %s smt.%s)";
    dialogs::SampleResult result;
    {
        BusyScope busy(*this);
        result = m_services.dialogSet.sample->Run(request);
    }
    if (result.outcome != dialogs::SampleOutcome::Ok)
        return 0;
    std::string out = result.path;
    if (!EndsWithIgnoringCase(out, ".wav"))
        out += ".wav";
    const double semitones = std::clamp(result.pitch, -50.0, 50.0);
    const int64_t barSpan = int64_t(m_state.doc.song.samplesPerMeasure) * m_state.doc.song.measuresPerBar;
    std::string reason;
    if (!m_services.samples.MakePitchedCopy(source, ref, semitones, barSpan, out, &reason)) {
        Status(m_texts.saveError, ReplacePercent(m_texts.saveError.text, out) + " " + reason);
        return 0;
    }
    // The copy goes into the chord's free place, in the source's column.
    LibraryChord* target = m_state.doc.library.FindChord(ref);
    NormaliseEntries(*target);
    SampleDescriptor copy = source;
    ApplySampleResult(result, copy);
    copy.path = m_services.app.folders.StoreRelative(out);
    target->entries.back().variants[ref.Variant()] = copy;
    NormaliseEntries(*target);
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::RecordIntoEntry(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    dialogs::RecordRequest request;
    request.masterVolume = m_state.view.masterVolume;
    request.temporaryFolder = AsFolder(m_services.app.options.temporaryFolder);
    request.target = ref;
    request.songHasMeasures = m_state.Measures() > 0;
    request.play = [this] { OnCommand(cmd::kPlayStop); };
    std::optional<dialogs::RecordResult> take;
    {
        BusyScope busy(*this);
        m_recordOpen = true;
        take = m_services.dialogSet.record->Run(request);
        m_recordOpen = false;
    }
    if (!take)
        return 0;
    // The take is saved where the person says, then put into the cell.
    const LibraryChord* chord = SelectedChord(m_state);
    SampleDescriptor proposal;
    proposal.firstText = "Recording";
    proposal.kind = take->kindIndex;
    proposal.path = AsFolder(m_services.app.options.userFolder) + (chord ? AsFolder(chord->folder) : "") +
                    "Recording.wav";
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(take->recordingPath, ec);
    proposal.length = ec ? 0 : static_cast<int32_t>(std::min<uintmax_t>((bytes > 44 ? bytes - 44 : 0) / 4, INT32_MAX));
    dialogs::SampleResult saved;
    {
        BusyScope busy(*this);
        saved = m_services.dialogSet.sample->Run(SampleRequestFor(dialogs::SampleDialogMode::SaveRecording, proposal));
    }
    if (saved.outcome != dialogs::SampleOutcome::Ok)
        return 0;
    Error error;
    if (!CopyFileDurably(take->recordingPath, saved.path, &error)) {
        Status(m_texts.saveError, ReplacePercent(m_texts.saveError.text, saved.path));
        return 0;
    }
    SampleDescriptor* cell = m_state.doc.library.Find(ref);
    if (!cell)
        return 0;
    ApplySampleResult(saved, *cell);
    cell->path = m_services.app.folders.StoreRelative(saved.path);
    if (LibraryChord* target = m_state.doc.library.FindChord(ref))
        NormaliseEntries(*target);
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_view.Repaint(Area::Library);
    return 1;
}

void MainController::RenumberEntries(const SampleRef& chordRef, int32_t fromEntry, int32_t toEntry)
{
    // Entries fromEntry ... toEntry - 1 moved one place on.
    auto shift = [&](ChannelSlot& slot) {
        const int32_t e = slot.ref.Entry();
        if (e >= fromEntry && e < toEntry)
            ++slot.ref.words[5];
    };
    for (int32_t m = 0; m < m_state.Measures(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            ChannelSlot& slot = m_state.doc.song.measures[m].slots[c];
            const SampleRef& r = slot.ref;
            if (slot.IsEmpty() || r.Style() != chordRef.Style() || r.Group() != chordRef.Group() ||
                r.Part() != chordRef.Part() || r.Chord() != chordRef.Chord())
                continue;
            const SampleRef before = r;
            shift(slot);
            if (!(slot.ref == before))
                NotifySlotChanged(m, c);
        }
    }
    ForEachRefInChord(m_state.doc.clipboard.measures, chordRef, shift);
    ForEachRefInChord(m_state.doc.placement.measures, chordRef, shift);
}

int32_t MainController::InsertEmptyEntry(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    LibraryChord* chord = m_state.doc.library.FindChord(ref);
    NormaliseEntries(*chord);
    const int32_t last = static_cast<int32_t>(chord->entries.size()) - 1;
    for (int32_t e = last; e > ref.Entry(); --e)
        std::swap(chord->entries[e], chord->entries[e - 1]);
    RenumberEntries(ref, ref.Entry(), last);
    NormaliseEntries(*chord);
    m_services.samples.PublishLibrary(m_state.doc.library);
    m_view.Repaint(Area::Library);
    return 1;
}

int32_t MainController::DragEntry(int32_t, int64_t)
{
    const SampleRef ref = m_state.view.librarySelection;
    LibrarySelection where;
    where.style = ref.Style();
    where.group = ref.Group();
    where.part = ref.Part();
    where.chord = ref.Chord();
    if (PreparePlacementFromLibrary(m_state.doc.song, m_state.doc.library, where, ref.Entry(), ref.Variant(), 0,
                                    m_state.doc.placement) == 0)
        return 0;
    m_view.StartPlacementDrag();
    return 1;
}

int32_t MainController::SelectAlike(int32_t command, int64_t)
{
    const SampleRef sel = m_state.view.librarySelection;
    const SampleDescriptor* selected = m_state.doc.library.Find(sel);
    const int32_t flag = m_state.view.pointedSlotFlag;
    for (Measure& m : m_state.doc.song.measures) {
        for (ChannelSlot& slot : m.slots) {
            if (slot.IsEmpty())
                continue;
            bool alike = false;
            if (command == cmd::kSelectAlike) {
                alike = slot.ref == sel;
            } else if (selected && slot.ref.Style() == sel.Style() && slot.ref.Group() == sel.Group()) {
                const SampleDescriptor* d = m_state.doc.library.Find(slot.ref);
                alike = d && d->firstText == selected->firstText;
            }
            if (alike)
                slot.selected = flag;
        }
    }
    m_view.Repaint(Area::Arrangement);
    return 1;
}

} // namespace bm::ui
