#pragma once

// A main window controller driven headless: a recording view, scripted
// message boxes, file choosers and dialogs, a recording engine client, and a
// small library in memory (one style "Beats" with a shipped and a user part).

#include "ui/main/CommandIds.h"
#include "ui/main/Layout.h"
#include "ui/main/MainController.h"
#include "ui/dialogs/ScriptedDialogs.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace bm::ui::test {

// Records what the commands ask of the view; with `areas` set, the repaints
// and the area requests also go to the window's areas, as the main
// window's view forwards them.
class FakeView : public MainView {
public:
    struct Areas {
        std::function<void(Area)> repaint;
        std::function<void(int32_t)> channel;
        std::function<void(int32_t, int32_t)> measures;
        std::function<void()> placementDrag;
        std::function<void(const ValueSliderRequest&)> slider;
    };

    void SetWindowTitle(const std::string& t) override { title = t; }
    void Repaint(Area area) override
    {
        repaints.push_back(area);
        if (areas.repaint)
            areas.repaint(area);
    }
    void RepaintChannel(int32_t channel) override
    {
        channels.push_back(channel);
        if (areas.channel)
            areas.channel(channel);
    }
    void RepaintMeasures(int32_t first, int32_t count) override
    {
        measures.emplace_back(first, count);
        if (areas.measures)
            areas.measures(first, count);
    }
    void ShowStatus(const TextRecord&, const std::string& text) override { status.push_back(text); }
    void ClearStatus() override { status.clear(); }
    int32_t ArrangementLeft() const override { return layout::kArrangement.left; }
    int32_t ArrangementRight() const override { return layout::kArrangement.right; }
    int32_t LibraryVisibleRows() const override { return layout::kLibraryVisibleRows; }
    void OpenMenu(const std::string& entry, MenuAnchor) override { menus.push_back(entry); }
    void OpenTimeWindow(int32_t area) override { timeWindows.push_back(area); }
    void StartPlacementDrag() override
    {
        ++placementDrags;
        if (areas.placementDrag)
            areas.placementDrag();
    }
    void OpenValueSlider(const ValueSliderRequest& request) override
    {
        sliders.push_back(request);
        if (areas.slider)
            areas.slider(request);
    }
    void CloseChannelPopup(bool apply) override { popupCloses.push_back(apply); }
    void BeginClosing() override { closing = true; }

    std::string title;
    std::vector<Area> repaints;
    std::vector<int32_t> channels;
    std::vector<std::pair<int32_t, int32_t>> measures;
    std::vector<std::string> status;
    std::vector<std::string> menus;
    std::vector<int32_t> timeWindows;
    int placementDrags = 0;
    std::vector<ValueSliderRequest> sliders;
    std::vector<bool> popupCloses;
    bool closing = false;
    Areas areas;
};

// Answers from queues; an unexpected question fails the test.
class FakeDialogs : public platform::Dialogs {
public:
    platform::MessageAnswer ShowMessage(const platform::MessageRequest& r) override
    {
        messages.push_back(r);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << r.text;
            return platform::MessageAnswer::Cancel;
        }
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    bool OpenFiles(const platform::OpenFileRequest& r, std::vector<std::string>& chosen) override
    {
        opens.push_back(r);
        if (openAnswers.empty()) {
            ADD_FAILURE() << "unexpected open-file dialog";
            return false;
        }
        chosen = openAnswers.front();
        openAnswers.pop_front();
        return !chosen.empty();
    }
    bool SaveFile(const platform::SaveFileRequest& r, std::string& chosen) override
    {
        saves.push_back(r);
        if (saveAnswers.empty()) {
            ADD_FAILURE() << "unexpected save-file dialog";
            return false;
        }
        chosen = saveAnswers.front();
        saveAnswers.pop_front();
        return !chosen.empty();
    }
    bool ChooseFolder(const platform::FolderRequest&, std::string&) override { return false; }

    std::deque<platform::MessageAnswer> answers;
    std::deque<std::vector<std::string>> openAnswers;
    std::deque<std::string> saveAnswers;
    std::vector<platform::MessageRequest> messages;
    std::vector<platform::OpenFileRequest> opens;
    std::vector<platform::SaveFileRequest> saves;
};

// The sample dialog: queued answers first; with none queued and echo on, OK
// with what it was given; otherwise cancelled.
class EchoSampleDialog : public dialogs::SampleDialog {
public:
    dialogs::SampleResult Run(const dialogs::SampleRequest& r) override
    {
        asked.push_back(r);
        if (!answers.empty()) {
            auto a = answers.front();
            answers.pop_front();
            return a;
        }
        dialogs::SampleResult result;
        if (echo) {
            result.outcome = dialogs::SampleOutcome::Ok;
            result.path = r.path;
            result.name = r.name;
            result.key = r.key;
            result.fourth = r.fourth;
            result.kindIndex = r.kindIndex;
            result.length = r.length;
        }
        return result;
    }
    std::vector<dialogs::SampleRequest> asked;
    std::deque<dialogs::SampleResult> answers;
    bool echo = false;
};

class FakeReadings : public EngineReadings {
public:
    int64_t Position() override { return position; }
    std::array<int32_t, 12> Levels(int64_t) override { return levels; }
    int DeviceVolume() override { return volume; }
    int64_t position = -1;
    std::array<int32_t, 12> levels{};
    int volume = -1;
};

class FakeFiles : public FileFacts {
public:
    bool WorkFileExists() override { return workFile; }
    bool OnOtherFileSystem(const std::string&) override { return otherFileSystem; }
    bool workFile = false;
    bool otherFileSystem = false;
};

class FakeSamples : public SampleTools {
public:
    void PublishLibrary(const SampleLibrary&) override { ++published; }
    int64_t EstimateImportBytes(const std::string& path) override
    {
        const auto it = estimates.find(path);
        return it == estimates.end() ? estimate : it->second;
    }
    bool MakePitchedCopy(const SampleDescriptor&, const SampleRef&, double semitones, int64_t, const std::string& out,
                         std::string*) override
    {
        copies.emplace_back(out, semitones);
        return true;
    }
    int published = 0;
    int64_t estimate = 4 * 88200;
    std::map<std::string, int64_t> estimates; // per file, before `estimate`
    std::vector<std::pair<std::string, double>> copies;
};

// A library of one style with one group of two parts: part 0 shipped, part 1
// the user's, each with one chord "C" of two entries and the free place.
SampleLibrary MakeLibrary();

class ControllerTest : public ::testing::Test {
protected:
    ControllerTest();

    MainController& C() { return *controller; }
    MainState& S() { return controller->State(); }
    // The engine commands posted since the last call.
    std::vector<engine::EngineCommand> Posted();
    std::vector<engine::CommandCode> PostedCodes();
    // Gives the song n empty measures at once (as if the engine had
    // answered the swap file request).
    void GiveMeasures(int32_t n);
    // Puts sample (part, entry, variant) of the library into a slot.
    void Place(int32_t measure, int32_t channel, int32_t part, int32_t entry, int32_t variant, bool selected = false);
    void Deliver(int32_t message, int64_t wParam, int64_t lParam, platform::MessagePayload payload = {});

    bm::test::TempDir dir;
    app::AppContext app;
    engine::RecordingEngineClient engine;
    FakeReadings readings;
    FakeDialogs dialogs;
    platform::RecordingShell shell;
    dialogs::ScriptedDialogs scripted;
    dialogs::DialogSet set;
    EchoSampleDialog* sampleDialog = nullptr;
    FakeFiles files;
    FakeSamples samples;
    FakeView view;
    std::unique_ptr<MainController> controller;
};

} // namespace bm::ui::test
