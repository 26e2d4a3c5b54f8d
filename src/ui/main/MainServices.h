#pragma once

// What the main window's commands reach outside the document: the engine
// (commands out, readings in), the person (message boxes, file choosers and
// the program's dialogs), the desktop shell, facts about files on disk, and
// the view that shows the document. Each is an interface, so the commands
// run headless in tests with recorders and scripted answers.

#include "library/SampleLibrary.h"
#include "platform/Geometry.h"
#include "ui/skin/StringTable.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bm::ui {

// What the engine tells the window when asked (UI thread).
class EngineReadings {
public:
    virtual ~EngineReadings() = default;
    // The play position in song frames while a song plays, else -1.
    virtual int64_t Position() = 0;
    // Twelve band levels (0 ... 32767) of what is heard around `position`.
    virtual std::array<int32_t, 12> Levels(int64_t position) = 0;
    // The output device's volume, 0 ... 255; -1 while it is closed.
    virtual int DeviceVolume() = 0;
};

// Facts about the files on disk that some commands' availability depends on.
class FileFacts {
public:
    virtual ~FileFacts() = default;
    // A work file (".tempncp") lies in the temporary folder.
    virtual bool WorkFileExists() = 0;
    // The sample file (stored path) lies on another file system than the
    // program folder.
    virtual bool OnOtherFileSystem(const std::string& storedPath) = 0;
};

// Sample work the window hands to the engine's stream layer: publishing
// the library for the worker's threads, the import estimate of a file, and
// pitched copies.
class SampleTools {
public:
    virtual ~SampleTools() = default;
    // Main thread, after every change of the library.
    virtual void PublishLibrary(const SampleLibrary& library) = 0;
    // Canonical bytes an import of the file will take; 0 when unreadable.
    virtual int64_t EstimateImportBytes(const std::string& path) = 0;
    // Writes a copy of the sample pitched by `semitones` to `outputPath`;
    // false with the reason when it cannot.
    virtual bool MakePitchedCopy(const SampleDescriptor& descriptor, const SampleRef& key, double semitones,
                                 int64_t barSpan, const std::string& outputPath, std::string* reason) = 0;
};

// A text looked up by key ("hints.dat"): the text with the colours it is
// drawn in.
using TextRecord = HintRecord;

// The message and readout texts the window looks up once at start.
struct WindowTexts {
    TextRecord addSamples, mbHeader, waveOpenErr, makeSwapErr, delSwapErr, linkLostErr, restoreErr, saveError,
        saveChanges, saveChangesAt, remFiles, sameNameWarn, sameFileWarn, overwritePrompt, dataLossWarn,
        channelSwitch, channelVol, channelValue, extWav, extNcp, extWcp, extKnown, extAll;
    TextRecord styleName, groupName, volumeValue, bpmValue, time, songName, chordName;
};

// Which part of the window a change affects.
enum class Area {
    All,
    Arrangement,
    Library,
    Transport,   // play, loop and region play buttons, the record display
    TimeDisplay,
    Displays,    // the text displays: style, group, chord, song, volume, tempo
    Cursor,
    Meters,
    SwapSwitch,
    Wires,
    Knob,
};

// Where a popup menu opens.
enum class MenuAnchor { AtPointer, MainMenuButton, EditButton, StyleButton, GroupButton, ChordButton };

// A value slider next to the pointer (command 1262): vertical over an
// envelope point's value, or horizontal over a slot's start offset.
struct ValueSliderRequest {
    bool vertical = true;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t position = 0;
    int32_t ticks = 1;
};

// What the commands ask of the window that shows the document.
class MainView {
public:
    virtual ~MainView() = default;
    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual void Repaint(Area area) = 0;
    virtual void RepaintChannel(int32_t channel) = 0;
    // The visible part of measures first ... first + count - 1.
    virtual void RepaintMeasures(int32_t first, int32_t count) = 0;
    // The status line shows `text` for 300 ticks of the 20 ms timer, in
    // `record`'s colours.
    virtual void ShowStatus(const TextRecord& record, const std::string& text) = 0;
    virtual void ClearStatus() = 0;
    // The arrangement area's left and right edges (inclusive pixels).
    virtual int32_t ArrangementLeft() const = 0;
    virtual int32_t ArrangementRight() const = 0;
    virtual int32_t LibraryVisibleRows() const = 0;
    // Opens a menu description modally; the chosen command arrives through
    // the window's command handler.
    virtual void OpenMenu(const std::string& entry, MenuAnchor anchor) = 0;
    // The small time window next to the time display (hot area 0 or 1).
    virtual void OpenTimeWindow(int32_t area) = 0;
    // Starts dragging the placement buffer from the pointer (paste, a
    // library entry dragged by command).
    virtual void StartPlacementDrag() = 0;
    virtual void OpenValueSlider(const ValueSliderRequest& request) = 0;
    // Closes the channel volume popup; with `apply` its channel, on flag and
    // volume are applied first.
    virtual void CloseChannelPopup(bool apply) = 0;
    // The window is to close: the power-off order runs once the current
    // command has returned.
    virtual void BeginClosing() = 0;
};

} // namespace bm::ui
