// The main window's common edits on a 10 000-measure song, through the
// command table as a key or menu runs them: select all, copy, delete and
// undo it, reverse, zoom, and stepping the cursor.

#include "QuietServices.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "song/MeasureEditing.h"
#include "ui/dialogs/ScriptedDialogs.h"
#include "ui/main/CommandIds.h"
#include "ui/main/MainController.h"

#include <benchmark/benchmark.h>

namespace {

using namespace bm;
using namespace bm::ui;

class YesDialogs : public platform::Dialogs {
public:
    platform::MessageAnswer ShowMessage(const platform::MessageRequest&) override { return platform::MessageAnswer::Yes; }
    bool OpenFiles(const platform::OpenFileRequest&, std::vector<std::string>&) override { return false; }
    bool SaveFile(const platform::SaveFileRequest&, std::string&) override { return false; }
    bool ChooseFolder(const platform::FolderRequest&, std::string&) override { return false; }
};

using bench::CountingEngine;
using bench::QuietProgram;
using bench::QuietView;

struct Window {
    Window()
    {
        set = scripted.Take();
        MainServices services{app, engine, quiet, dialogs, shell, set, quiet, quiet, nullptr, {}};
        controller = std::make_unique<MainController>(services, view);
        Song& song = controller->State().doc.song;
        InsertMeasures(song, 0, 10000, nullptr);
        for (int32_t m = 0; m < 10000; m += 2)
            song.measures[m].slots[m % 12].ref = SampleRef::Make(0, 0, 0, 0, 0, 0);
    }
    app::AppContext app;
    CountingEngine engine;
    QuietProgram quiet;
    YesDialogs dialogs;
    platform::RecordingShell shell;
    dialogs::ScriptedDialogs scripted;
    dialogs::DialogSet set;
    QuietView view;
    std::unique_ptr<MainController> controller;
};

void BM_SelectAllAndNone(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.controller->OnCommand(cmd::kSelectAll);
        w.controller->OnCommand(cmd::kSelectNone);
    }
}
BENCHMARK(BM_SelectAllAndNone)->Unit(benchmark::kMillisecond);

void BM_CopySelection(benchmark::State& state)
{
    Window w;
    w.controller->OnCommand(cmd::kSelectAll);
    for (auto _ : state)
        w.controller->OnCommand(cmd::kCopy);
}
BENCHMARK(BM_CopySelection)->Unit(benchmark::kMillisecond);

void BM_DeleteOneSlotAndUndo(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.controller->State().doc.song.measures[5000].slots[8].ref = SampleRef::Make(0, 0, 0, 0, 0, 0);
        w.controller->State().doc.song.measures[5000].slots[8].selected = 1;
        w.controller->OnCommand(cmd::kDelete);
        w.controller->OnCommand(cmd::kUndo);
    }
}
BENCHMARK(BM_DeleteOneSlotAndUndo)->Unit(benchmark::kMillisecond);

void BM_UndoSnapshot(benchmark::State& state)
{
    Window w;
    for (auto _ : state)
        w.controller->Snapshot();
}
BENCHMARK(BM_UndoSnapshot)->Unit(benchmark::kMillisecond);

void BM_ReverseSelection(benchmark::State& state)
{
    Window w;
    w.controller->OnCommand(cmd::kSelectAll);
    for (auto _ : state)
        w.controller->OnCommand(cmd::kReverseToggle);
}
BENCHMARK(BM_ReverseSelection)->Unit(benchmark::kMillisecond);

void BM_CursorStepAndZoom(benchmark::State& state)
{
    Window w;
    for (auto _ : state) {
        w.controller->OnCommand(cmd::kMeasureOn);
        w.controller->OnCommand(cmd::kZoomIn);
        w.controller->OnCommand(cmd::kZoomOut);
    }
}
BENCHMARK(BM_CursorStepAndZoom)->Unit(benchmark::kMicrosecond);

} // namespace
