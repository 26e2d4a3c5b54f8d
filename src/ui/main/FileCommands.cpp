// File commands: new, open (songs and packages), insert a song, close, save,
// save as (a ".wcp" name writes a package), export to WAV, exit, and going
// back to a work file. Opening never loses the song on screen: a file that
// cannot be read leaves the current song as it was and says why.

#include "ui/main/CommandIds.h"
#include "ui/main/DocumentIdentity.h"
#include "ui/main/MainController.h"
#include "ui/main/SampleDialogFields.h"
#include "ui/main/Selection.h"
#include "ui/main/TextFill.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "song/ExportRange.h"
#include "ui/dialogs/ExportJobs.h"
#include "ui/dialogs/ReplaceQuestion.h"
#include "ui/dialogs/SampleDialog.h"
#include "song/MeasureEditing.h"
#include "song/PackageReader.h"
#include "song/PackageWriter.h"
#include "song/SongModel.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"
#include "song/WorkFiles.h"

#include <algorithm>

namespace bm::ui {

namespace {

bool HasExtension(std::string_view path, std::string_view extension)
{
    return path.size() >= extension.size() &&
           EqualsIgnoreCase(path.substr(path.size() - extension.size()), extension);
}

// The package import's questions, asked with the window's dialogs: the
// replace-or-keep question, the same-file and same-name warnings and the
// sample dialog for each new sample.
class WindowPackageQuestions : public PackageQuestions {
public:
    explicit WindowPackageQuestions(MainController& controller) : m_controller(controller) {}

    ReplaceChoice AskReplace(const PackageSample& sample, const std::string& localFile) override
    {
        dialogs::ReplaceQuestion* question = m_controller.Services().dialogSet.replace.get();
        if (!question)
            return {ReplaceAnswer::Keep, true};
        MainController::BusyScope busy(m_controller);
        return question->Ask({sample.texts.first, sample.texts.second, localFile});
    }
    void SameFileError(const PackageSample&, const std::string&) override
    {
        m_controller.Ask(m_controller.Texts().sameFileWarn, platform::MessageButtons::Ok, platform::MessageIcon::Stop);
    }
    void SameNameNotice(const PackageSample&, const SampleDescriptor&) override
    {
        m_controller.Ask(m_controller.Texts().sameNameWarn, platform::MessageButtons::Ok,
                         platform::MessageIcon::Information);
    }
    NewSampleOutcome ConfirmNewSample(const SampleRef&, SampleDescriptor& descriptor) override
    {
        dialogs::SampleDialog* dialog = m_controller.Services().dialogSet.sample.get();
        if (!dialog)
            return {};
        dialogs::SampleRequest request = SampleRequestFor(dialogs::SampleDialogMode::Properties, descriptor);
        request.offerSkip = true;
        dialogs::SampleResult result;
        {
            MainController::BusyScope busy(m_controller);
            result = dialog->Run(request);
        }
        if (result.outcome != dialogs::SampleOutcome::Ok)
            return {false, result.outcome == dialogs::SampleOutcome::Skipped};
        // The package's file goes where the package says.
        ApplySampleTexts(result, descriptor);
        return {};
    }

private:
    MainController& m_controller;
};

} // namespace

int32_t MainController::NewSong(int32_t, int64_t)
{
    if (OnCommand(cmd::kCloseSong) == 0)
        return 0;
    if (OnCommand(cmd::kTempo) == 0)
        return 0;
    SetDocumentName(UntitledName(m_state.doc));
    if (OnCommand(cmd::kInsertMeasures, 1) == 1) {
        ++m_state.doc.untitledCounter;
        for (int c = 0; c < kChannels; ++c)
            SetChannelState(m_state.doc.song, c, 1, kDefaultChannelVolume, &m_services.engine);
        // A fresh song has nothing to save yet.
        m_state.doc.song.unchanged = true;
        RefreshTitle();
        return 1;
    }
    OnCommand(cmd::kUndo);
    Snapshot();
    return 0;
}

int32_t MainController::Open(int32_t, int64_t param)
{
    if (IsCommandAvailable(cmd::kSave) && !m_state.doc.song.unchanged) {
        const platform::MessageAnswer answer =
            Ask(m_texts.saveChanges, platform::MessageButtons::YesNoCancel, platform::MessageIcon::Exclamation);
        if (answer == platform::MessageAnswer::Cancel)
            return 0;
        if (answer == platform::MessageAnswer::Yes && OnCommand(cmd::kSave) == 0)
            return 0;
    }
    return OpenOrInsert(true, param);
}

int32_t MainController::InsertSong(int32_t, int64_t param)
{
    return OpenOrInsert(false, param);
}

int32_t MainController::OpenOrInsert(bool open, int64_t)
{
    std::string path;
    if (m_commandPath) {
        path = *m_commandPath;
    } else {
        platform::OpenFileRequest request;
        request.filter = m_texts.extNcp.text + "|*.ncp|";
        if (open)
            request.filter += m_texts.extWcp.text + "|*.wcp|";
        request.filter += m_texts.extAll.text + "|*.*||";
        request.defaultExtension = "*.ncp";
        request.initialFolder = m_services.app.options.fileDialogFolder;
        request.mustExist = true;
        std::vector<std::string> chosen;
        bool ok = false;
        {
            BusyScope busy(*this);
            ok = m_services.dialogs.OpenFiles(request, chosen);
        }
        m_state.view.dragState = kDragAfterDialog;
        if (!ok || chosen.empty())
            return 0;
        path = chosen.front();
        m_services.app.options.fileDialogFolder = FolderPart(path);
    }
    if (!open) {
        Error error;
        if (!MakeReader().ReadClipboard(path, m_state.doc.clipboard, &error)) {
            Status(m_texts.restoreErr, FileNamePart(path) + ": " + error.message);
            return 0;
        }
        // The song read waits at the pointer to be placed, as a paste does.
        OnCommand(cmd::kPaste);
        return 1;
    }
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    const bool ok = HasExtension(path, ".wcp") ? OpenPackage(path) : ReadSongReplacing(path);
    if (!ok)
        return 0;
    AfterOpen();
    return 1;
}

bool MainController::ReadSongReplacing(const std::string& path)
{
    // The song on screen is kept aside, so a file that cannot be read
    // changes nothing.
    UndoRecord kept;
    const bool unchanged = m_state.doc.song.unchanged;
    const std::string keptPath = m_state.doc.song.path;
    TakeUndoSnapshot(m_state.doc.song, kept);
    m_state.doc.song.unchanged = unchanged;
    Error error;
    SetDocumentName(path);
    SongReader reader = MakeReader();
    if (reader.ReadSong(path, m_state.doc.song, &error)) {
        m_state.doc.song.unchanged = true;
        m_state.doc.named = true;
        SetDocumentName(m_state.doc.song.path);
        // What could be read is open; the person learns that the rest is gone.
        if (const SongReadStats& stats = reader.Stats(); stats.CutShort())
            Status(m_texts.restoreErr, FileNamePart(path) + ": the file ends after " + std::to_string(stats.measures) +
                                           " of its " + std::to_string(stats.declaredMeasures) + " measures");
        return true;
    }
    SwapWithUndo(m_state.doc.song, kept, m_state.doc.library, &m_services.engine);
    m_state.doc.song.unchanged = unchanged;
    SetDocumentName(keptPath);
    Status(m_texts.restoreErr, FileNamePart(path) + ": " + error.message);
    return false;
}

bool MainController::OpenPackage(const std::string& path)
{
    PackageFolders folders;
    folders.programFolder = m_services.app.programFolder;
    folders.userFolder = m_services.app.options.userFolder;
    folders.temporaryFolder = m_services.app.options.temporaryFolder;
    folders.sampleFolders = m_services.app.folders.Snapshot();
    WindowPackageQuestions asked(*this);
    PackageQuestions& questions = m_services.packageQuestions ? *m_services.packageQuestions : asked;
    PackageImport import;
    Error error;
    bool read = false;
    {
        BusyScope busy(*this);
        read = PackageReader(folders, questions).Read(path, m_state.doc.library, import, &error);
    }
    if (!read || !import.Commit(&error)) {
        Status(m_texts.restoreErr, FileNamePart(path) + ": " + error.message);
        return false;
    }
    SampleLibrary previous = std::move(m_state.doc.library);
    m_state.doc.library = std::move(import.library);
    m_state.doc.library.selection = previous.selection;
    if (!ReadSongReplacing(import.songFile)) {
        import.Rollback();
        m_state.doc.library = std::move(previous);
        return false;
    }
    import.Finish();
    // The package's song names a place on the machine it was made on; it is
    // saved only where the person says.
    m_state.doc.named = false;
    m_view.Repaint(Area::Library);
    return true;
}

void MainController::AfterOpen()
{
    m_state.view.currentRegion = -1;
    m_state.view.pointedMeasure = m_state.view.pointedChannel = -1;
    m_state.view.pointedPoint = {};
    m_state.view.regionPlaySwitch = false;
    UpdateScrollRange();
    m_state.view.scrollX = 0;
    SetCursor(0);
    m_view.Repaint(Area::All);
}

int32_t MainController::CloseSong(int32_t, int64_t param)
{
    if (param == 0 && IsCommandAvailable(cmd::kSave) && !m_state.doc.song.unchanged) {
        const std::string text = NameAfterApostrophe(m_texts.saveChangesAt.text, m_state.doc.fileTitle);
        const platform::MessageAnswer answer = Ask(m_texts.saveChangesAt, platform::MessageButtons::YesNoCancel,
                                                   platform::MessageIcon::Exclamation, 0, &text);
        if (answer == platform::MessageAnswer::Cancel)
            return 0;
        if (answer == platform::MessageAnswer::Yes && OnCommand(cmd::kSave) == 0)
            return 0;
    }
    Snapshot();
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    RemoveMeasures(m_state.doc.song, 0, m_state.Measures(), &m_services.engine);
    m_state.doc.song.regions.clear();
    m_state.doc.named = false;
    m_state.view.cursorMeasure = 0;
    m_state.view.scrollX = 0;
    m_state.view.currentRegion = -1;
    m_state.view.pointedMeasure = m_state.view.pointedChannel = -1;
    m_state.view.pointedPoint = {};
    m_state.view.regionPlaySwitch = false;
    m_state.doc.song.unchanged = true;
    SetDocumentName("");
    m_view.Repaint(Area::All);
    return 1;
}

int32_t MainController::Save(int32_t, int64_t)
{
    for (;;) {
        if (!m_state.doc.named) {
            platform::SaveFileRequest request;
            request.defaultExtension = "ncp";
            const std::string& path = m_state.doc.song.path;
            request.initialName = path.size() > 4 ? path.substr(0, path.size() - 4) : path;
            request.initialFolder = m_services.app.options.fileDialogFolder;
            request.filter = m_texts.extNcp.text + "|*.ncp|" + m_texts.extWcp.text + "|*.wcp|" + m_texts.extAll.text +
                             "|*.*||";
            request.overwritePrompt = true;
            std::string chosen;
            bool ok = false;
            {
                BusyScope busy(*this);
                ok = m_services.dialogs.SaveFile(request, chosen);
            }
            if (!ok || chosen.empty())
                return 0;
            m_services.app.options.fileDialogFolder = FolderPart(chosen);
            if (HasExtension(chosen, ".wcp")) {
                PackageFolders folders;
                folders.programFolder = m_services.app.programFolder;
                folders.userFolder = m_services.app.options.userFolder;
                folders.temporaryFolder = m_services.app.options.temporaryFolder;
                folders.sampleFolders = m_services.app.folders.Snapshot();
                Error error;
                if (!PackageWriter(m_state.doc.library, folders).Write(m_state.doc.song, chosen, &error))
                    Status(m_texts.saveError, ReplacePercent(m_texts.saveError.text, chosen));
                return 0;
            }
            SetDocumentName(chosen);
        }
        Error error;
        const std::string path = m_state.doc.song.path;
        m_state.doc.named = MakeWriter().Write(m_state.doc.song, path, SongWriteMode::Plain, &error);
        if (m_state.doc.named) {
            m_state.doc.song.unchanged = true;
            SetDocumentName(path);
            m_state.doc.lastSavedPath = path;
            return 1;
        }
        Status(m_texts.saveError, ReplacePercent(m_texts.saveError.text, path));
    }
}

int32_t MainController::SaveAs(int32_t, int64_t)
{
    const bool named = m_state.doc.named;
    m_state.doc.named = false;
    const int32_t result = OnCommand(cmd::kSave);
    if (result == 0)
        m_state.doc.named = named;
    return result;
}

int32_t MainController::ExportWave(int32_t, int64_t)
{
    const Song& song = m_state.doc.song;
    const dialogs::ExportRequest request =
        dialogs::MakeExportRequest(song, song.path, m_services.app.programFolder);
    std::optional<dialogs::ExportChoice> choice;
    {
        BusyScope busy(*this);
        choice = m_services.dialogSet.exportFile->Run(request);
    }
    if (!choice)
        return 0;
    m_services.engine.Post(engine::Stop{});
    m_state.view.transport = Transport::Stopped;
    BusyScope busy(*this);
    m_exportRunning = true;
    const dialogs::ExportOutcome outcome = m_services.dialogSet.exportProgress->Run(dialogs::BuildExportJob(*choice, song));
    m_exportRunning = false;
    return outcome == dialogs::ExportOutcome::Finished ? 1 : 0;
}

int32_t MainController::Exit(int32_t, int64_t param)
{
    if (m_state.Measures() > 0) {
        Error error;
        SongWriter writer = MakeWriter();
        if (!WriteLastSong(writer, m_state.doc.song, m_services.app.programFolder, &error))
            Status(m_texts.saveError, ReplacePercent(m_texts.saveError.text, LastSongPath(m_services.app.programFolder)));
    }
    // Ending from outside (the session closes) asks nothing: the song is
    // kept in "last.ncp".
    if (param == kExitWithoutQuestions || OnCommand(cmd::kCloseSong) == 1 || param != 0) {
        m_view.BeginClosing();
        return 1;
    }
    return 0;
}

int32_t MainController::RestoreWorkFile(int32_t, int64_t)
{
    if (OnCommand(cmd::kCloseSong) == 0)
        return 0;
    const std::string& temp = m_services.app.options.temporaryFolder;
    const std::optional<WorkFile> file = FindNewestWorkFile(temp);
    WorkFile loaded;
    Error error;
    SongReader reader = MakeReader();
    if (file) {
        SetDocumentName(file->path);
        if (GoBackToPreviousSong(reader, m_state.doc.song, temp, &loaded, &error)) {
            Snapshot();
            m_state.doc.song.unchanged = true;
            m_state.doc.named = !m_state.doc.song.path.empty() && FileExists(m_state.doc.song.path);
            SetDocumentName(m_state.doc.song.path);
            AfterOpen();
            return 1;
        }
    }
    Status(m_texts.restoreErr, m_texts.restoreErr.text);
    OnCommand(cmd::kUndo);
    return 0;
}

} // namespace bm::ui
