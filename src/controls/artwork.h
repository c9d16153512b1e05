#pragma once
// The program's bitmaps, drawn once in code from vector shapes: icon strips,
// button backgrounds, the splash picture and the window icon. Each strip is a
// row of equal cells; the numbers are the names the windows know them by.
#include <QImage>
#include <QSize>

constexpr int kArtWindowIcon = 128;        // 64 x 64
constexpr int kArtSplash = 156;            // 480 x 270
constexpr int kArtMiniMenuIcons = 213;     // 24 x 24: Insert, Delete, Error Check, Columns, Print; +10 disabled
constexpr int kArtTreeIcons = 222;         // 24 x 24, 11 cells (see artwork.cpp)
constexpr int kArtCommandBar = 225;        // 48 x 48, one per command-bar item in bar order
constexpr int kArtCategories = 227;        // 32 x 32, 7 cells: component, board, cable, packaging
constexpr int kArtStages = 244;            // 32 x 32, 8 cells: the stages of a requirement
constexpr int kArtFieldIcons = 256;        // 32 x 32, 16 cells: icons beside dialog fields
constexpr int kArtButtonBackgrounds = 260; // 96 x 48: normal, pressed, hover, disabled
constexpr int kArtButtonIcons = 261;       // 48 x 48 pairs: icon n is cells 2n-2 (normal), 2n-1 (hover)
constexpr int kArtBomMenuIcons = 275;      // 24 x 24: Insert, Add Assy, Delete, Error Check, Columns, Print; +10
constexpr int kArtPicturePlaceholder = 280; // 64 x 64 on magenta
constexpr int kArtMiniMenuBackgrounds = 293; // 128 x 36: normal, pressed, disabled

// Image-button icon numbers (CImageButton).
constexpr int kIconOk = 1;
constexpr int kIconCancel = 2;
constexpr int kIconPrint = 3;
constexpr int kIconWeb = 4;
constexpr int kIconFolder = 5;
constexpr int kIconSearch = 6;
constexpr int kIconPrevious = 7;
constexpr int kIconNext = 8;

// Field icons of kArtFieldIcons.
constexpr int kFieldCompany = 0;
constexpr int kFieldUser = 1;
constexpr int kFieldAddress = 2;
constexpr int kFieldDocument = 3;
constexpr int kFieldFolder = 4;
constexpr int kFieldPhone = 5;
constexpr int kFieldFax = 6;
constexpr int kFieldCalendar = 7;
constexpr int kFieldTruck = 8;
constexpr int kFieldMoney = 9;
constexpr int kFieldPercent = 10;
constexpr int kFieldNote = 11;
constexpr int kFieldCurrency = 12;
constexpr int kFieldWeb = 13;
constexpr int kFieldNumber = 14;
constexpr int kFieldClock = 15;

// The whole strip (or picture) of a resource; a null image for an unknown one.
QImage Artwork(int resource);
QSize ArtworkCellSize(int resource);
int ArtworkCellCount(int resource);
// One cell of a strip; a transparent cell when the index is out of range.
QImage ArtworkCell(int resource, int index);

// The window icon drawn at side x side pixels: the menus' icons of the
// installed program are rendered from it.
QImage ApplicationIcon(int side);
