#pragma once

// The main window's command numbers. Menus name command n as 1024 + n, so
// these numbers are part of the menu description format and must not move.

#include <cstdint>

namespace bm::ui::cmd {

constexpr int32_t kMenuCancelled = 1024;
constexpr int32_t kSubMenuValue = 1025;

// Editing.
constexpr int32_t kUndo = 1124;
constexpr int32_t kCut = 1126;
constexpr int32_t kCopy = 1127;
constexpr int32_t kPaste = 1128;
constexpr int32_t kDelete = 1129;
constexpr int32_t kSelectAll = 1130;
constexpr int32_t kSelectNone = 1131;
constexpr int32_t kInsertMeasures = 1132;
constexpr int32_t kRemoveMeasures = 1133;
constexpr int32_t kReverseToggle = 1134;
constexpr int32_t kReverseOff = 1135;
constexpr int32_t kReverseOn = 1136;
constexpr int32_t kFollowFlag = 1137;
constexpr int32_t kSmoothFlag = 1138;
constexpr int32_t kEnvelopeKind0 = 1144;
constexpr int32_t kEnvelopeKind1 = 1145;
constexpr int32_t kSelectChannel = 1146;
constexpr int32_t kDeselectChannel = 1147;

// Files and others.
constexpr int32_t kNewSong = 1154;
constexpr int32_t kOpen = 1155;
constexpr int32_t kCloseSong = 1156;
constexpr int32_t kSave = 1157;
constexpr int32_t kSaveAs = 1158;
constexpr int32_t kExport = 1159;
constexpr int32_t kOptions = 1160;
constexpr int32_t kHelp = 1161;
constexpr int32_t kExit = 1162;
constexpr int32_t kInsertSong = 1163;
constexpr int32_t kRestoreWorkFile = 1164;
constexpr int32_t kTempo = 1165;
constexpr int32_t kMainMenu = 1166;
constexpr int32_t kNews = 1167;

// Transport and navigation.
constexpr int32_t kLibraryUp = 1215;
constexpr int32_t kLibraryDown = 1216;
constexpr int32_t kLibraryUpFive = 1217;
constexpr int32_t kLibraryDownFive = 1218;
constexpr int32_t kLibraryTop = 1219;
constexpr int32_t kLibraryBottom = 1220;
constexpr int32_t kSendRegions = 1223;
constexpr int32_t kPlayStop = 1224;
constexpr int32_t kRegionPlaySwitch = 1225;
constexpr int32_t kToStart = 1226;
constexpr int32_t kToEnd = 1227;
constexpr int32_t kMeasureBack = 1228;
constexpr int32_t kPreviousRegionEdge = 1229;
constexpr int32_t kMeasureOn = 1230;
constexpr int32_t kNextRegionEdge = 1231;
constexpr int32_t kStopAtPosition = 1232;
constexpr int32_t kLoop = 1233;

// Library entries.
constexpr int32_t kPreviewVariant = 1234;
constexpr int32_t kPreviewEntry = 1235;
constexpr int32_t kPreviewVariantReversed = 1236;
constexpr int32_t kPreviewEntryReversed = 1237;
constexpr int32_t kSampleProperties = 1238;
constexpr int32_t kRemoveSamples = 1239;
constexpr int32_t kSampleFile = 1240;
constexpr int32_t kEditLibrarySong = 1241;
constexpr int32_t kCopyToSampleFolder = 1242;
constexpr int32_t kPitchedCopy = 1243;
constexpr int32_t kRemoveRegion = 1244;
constexpr int32_t kRegionOnOff = 1245;
constexpr int32_t kJoinRegions = 1246;
constexpr int32_t kRecordIntoEntry = 1247;
constexpr int32_t kCreateRegion = 1248;
constexpr int32_t kInsertEmptyEntry = 1249;
constexpr int32_t kAddFileToCell = 1250;
constexpr int32_t kAddSamples = 1251;
constexpr int32_t kDragEntry = 1252;
constexpr int32_t kSelectAlike = 1254;
constexpr int32_t kSelectAlikeByName = 1255;

// Pointed slots and points (context menus).
constexpr int32_t kValueSlider = 1262;
constexpr int32_t kCutPointed = 1263;
constexpr int32_t kPreviewSlot = 1264;
constexpr int32_t kPointedSelection1 = 1265; // 1265 ... 1268
constexpr int32_t kPointedSelection4 = 1268;
constexpr int32_t kSlotReverse = 1269;
constexpr int32_t kDeletePointed = 1270;
constexpr int32_t kShowInLibrary = 1271;
constexpr int32_t kCopyPointed = 1273;
constexpr int32_t kDropMove = 1274;
constexpr int32_t kDropCopy = 1275;
constexpr int32_t kDropPlace = 1284;
constexpr int32_t kDropPlaceReversed = 1285;
constexpr int32_t kDropReplace = 1286;
constexpr int32_t kDropReplaceByName = 1287;
constexpr int32_t kDropReplaceShifted = 1288;

constexpr int32_t kTimeFormat0 = 1294; // 1294 ... 1297
constexpr int32_t kTimeFormat3 = 1297;
constexpr int32_t kChooseGroup0 = 1304; // 1304 ... 1323
constexpr int32_t kChooseGroupLast = 1323;
constexpr int32_t kChooseChord0 = 1324; // 1324 ... 1333
constexpr int32_t kChooseChordLast = 1333;

constexpr int32_t kZoomIn = 1424;
constexpr int32_t kZoomOut = 1425;
constexpr int32_t kAppendFour = 1426;
constexpr int32_t kRemoveLastFour = 1427;
constexpr int32_t kTempoFaster = 1428;
constexpr int32_t kTempoSlower = 1429;
constexpr int32_t kTimeMenu = 1430;
constexpr int32_t kFinerMeasures = 1431;
constexpr int32_t kCoarserMeasures = 1432;

constexpr int32_t kChannelPopupClose = 1525;
constexpr int32_t kChannelPopupApply = 1526;

} // namespace bm::ui::cmd
