#pragma once

// Stand-ins for what the main window's controller asks of the program, for
// benchmarks that time the controller alone: a view that draws nothing, an
// engine that takes commands and keeps none, no readings, files or sample
// tools.

#include "engine/EngineCommand.h"
#include "ui/main/Layout.h"
#include "ui/main/MainServices.h"

#include <array>
#include <cstdint>
#include <string>

namespace bm::ui::bench {

class QuietView : public MainView {
public:
    void SetWindowTitle(const std::string&) override {}
    void Repaint(Area) override {}
    void RepaintChannel(int32_t) override {}
    void RepaintMeasures(int32_t, int32_t) override {}
    void ShowStatus(const TextRecord&, const std::string&) override {}
    void ClearStatus() override {}
    int32_t ArrangementLeft() const override { return layout::kArrangement.left; }
    int32_t ArrangementRight() const override { return layout::kArrangement.right; }
    int32_t LibraryVisibleRows() const override { return layout::kLibraryVisibleRows; }
    void OpenMenu(const std::string&, MenuAnchor) override {}
    void OpenTimeWindow(int32_t) override {}
    void StartPlacementDrag() override {}
    void OpenValueSlider(const ValueSliderRequest&) override {}
    void CloseChannelPopup(bool) override {}
    void BeginClosing() override {}
};

class QuietProgram : public EngineReadings, public FileFacts, public SampleTools {
public:
    int64_t Position() override { return -1; }
    std::array<int32_t, 12> Levels(int64_t) override { return {}; }
    int DeviceVolume() override { return -1; }
    bool WorkFileExists() override { return false; }
    bool OnOtherFileSystem(const std::string&) override { return false; }
    void PublishLibrary(const SampleLibrary&) override {}
    int64_t EstimateImportBytes(const std::string&) override { return 0; }
    bool MakePitchedCopy(const SampleDescriptor&, const SampleRef&, double, int64_t, const std::string&,
                         std::string*) override
    {
        return false;
    }
};

// Counts the engine commands instead of keeping them.
class CountingEngine : public engine::EngineClient {
public:
    void Post(engine::EngineCommand) override { ++posted; }
    int64_t posted = 0;
};

} // namespace bm::ui::bench
