#pragma once

// Everything the main window knows about the document and its view, as plain
// data: the song and what lives beside it (identity, clipboard, placement
// buffer, undo record, library, note order list) and the view state that
// commands read and change. The command availability rules are pure
// functions of this state, so they are tested without a window.
//
// Main thread only.

#include "library/SampleLibrary.h"
#include "song/NoteOrder.h"
#include "song/Song.h"
#include "song/UndoRecord.h"

#include <array>
#include <cstdint>
#include <string>

namespace bm::ui {

// Pixels per measure on screen, in zoom order.
constexpr std::array<int32_t, 7> kMeasureWidths{1, 2, 3, 5, 9, 13, 18};
constexpr int32_t kDefaultMeasureWidth = 9;
constexpr int32_t kMaxEditableMeasures = 10000;
constexpr int32_t kTimeFormats = 4;

enum class Transport : int32_t { Stopped = 0, Playing = 1, Recording = 2 };

// How the view follows the play cursor.
enum class FollowMode : int32_t { Page = 0, Smooth = 1, Centred = 2, Off = 4 };

enum class RegionSide { Start, End };

// The arrangement's mouse state: 0 idle, 1 a button is down, 2 ... 19 the
// drags, 20 the state after a file dialog closed, so that the button release
// that may follow it does nothing.
constexpr int32_t kDragIdle = 0;
constexpr int32_t kDragButtonDown = 1;
constexpr int32_t kDragAfterDialog = 20;

struct PointedPoint {
    int32_t channel = -1;
    int32_t kind = -1;
    int32_t index = -1;
    bool Valid() const { return channel >= 0 && kind >= 0 && index >= 0; }
    bool operator==(const PointedPoint&) const = default;
};

// The document: the song and what the window keeps beside it.
struct DocumentState {
    // The song's `path` is the document's full path and its `unchanged`
    // flag the change mark; both are kept by the document identity.
    Song song;
    std::string fileTitle; // the name part of the path
    bool named = false;    // the song has a file to save to without asking
    // The number the next untitled song gets ("Untitled-3.ncp").
    int32_t untitledCounter = 1;
    std::string lastSavedPath;
    SongFragment clipboard;
    SongFragment placement;
    UndoRecord undo;
    SampleLibrary library;
    NoteOrder noteOrder;
};

struct ViewState {
    int32_t cursorMeasure = 0;
    int32_t measureWidth = kDefaultMeasureWidth;
    int32_t scrollX = 0; // pixels
    Transport transport = Transport::Stopped;
    FollowMode followMode = FollowMode::Page;
    int64_t catchUpStart = 0; // the cursor pixel where smooth catch-up began
    bool followFlag = true;
    bool smoothFlag = true;
    std::array<bool, kEnvelopeKinds> envelopeShown{};
    int32_t timeFormat = 0;

    // The library cell last pointed at; word 0 = -1 when none.
    SampleRef librarySelection;
    int32_t currentRegion = -1;
    RegionSide regionSide = RegionSide::Start;
    int32_t pointedMeasure = -1;
    int32_t pointedChannel = -1;
    PointedPoint pointedPoint;
    // The pointed slot's selected flag inverted at the time of the click
    // (what "select alike" sets).
    int32_t pointedSlotFlag = 0;
    int32_t dragState = kDragIdle;

    bool regionPlaySwitch = false;
    bool loop = false;
    int32_t masterVolume = 200; // 0 ... 255
    int32_t channelGain = 256;  // 26 ... 2560, 256 = unchanged

    // Library browser: the first visible row.
    int32_t libraryFirstRow = 0;

    // Swap switch lever, 0 off ... 2 on ... 4 busy.
    int32_t swapPosition = 0;
    bool swapPending = false;
    // The five-position display selector.
    int32_t displaySelector = 0;

    // The worker's indicators: the first wire while it works, the second
    // while any rendering runs.
    bool workerBusy = false;
    int32_t renderings = 0;
    // The sample being processed and how far (library cell shading).
    SampleRef progressRef;
    int32_t progressPercent = 100;

    bool newsUnread = false;
    bool channelPopupOpen = false;
    // Raised while a modal dialog, message box or menu of a command runs.
    int32_t busy = 0;
    bool closing = false;
};

struct MainState {
    DocumentState doc;
    ViewState view;

    int32_t Measures() const { return static_cast<int32_t>(doc.song.measures.size()); }
    bool Playing() const { return view.transport != Transport::Stopped; }
};

} // namespace bm::ui
