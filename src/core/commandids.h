#pragma once
// Command numbers that route between windows: the command bar's commands and
// the notifications children send their owners.
constexpr int kCmdOk = 1;              // Enter in a dialog
constexpr int kCmdAbout = 16;          // "&About KOLT..."
constexpr int kCmdOptions = 1000;
constexpr int kCmdHelp = 1001;
constexpr int kCmdExport = 1002;
constexpr int kCmdUpdate = 1003;
constexpr int kCmdImport = 1006;
constexpr int kCmdWeb = 1105;
constexpr int kCmdShowAssyList = 1106;
constexpr int kCmdShowPartList = 1107;
constexpr int kCmdShowVendList = 1108;
constexpr int kCmdShowRescList = 1109;
constexpr int kCmdShowPurcList = 1110;
constexpr int kCmdShowReqmList = 1111;
constexpr int kCmdTimeline = 1115;
constexpr int kCmdTaskList = 1116;
constexpr int kCmdReport = 1117;
constexpr int kCmdShowLabrList = 1119;
// The sourcing tables open from the part table's record strip, not the bar.
constexpr int kCmdShowSrcList = 1120;
constexpr int kCmdShowBrkList = 1121;
constexpr int kCmdShowRateList = 1122;
constexpr int kCmdPrint = 32778;
constexpr int kCmdNothing = 9000;

constexpr int kCmdSmallGridTotals = 1093; // small grid: line amounts recomputed
constexpr int kCmdRecordCommand = 1503;   // record command strip: an item was chosen
constexpr int kCmdTreeRefresh = 1505;     // grid: bill of materials or routing edited, or rows deleted
constexpr int kCmdGridLoaded = 1506;      // grid: a table was loaded
