#pragma once
// The shared dark look: dark fields, grey gradient panels and backgrounds,
// pictures and grid cells. Painting only (QtGui), for screens and printers.
#include <QBrush>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

// Kinds of control for ControlColour: edit fields and lists are dark.
constexpr int kControlOther = 0;
constexpr int kControlEdit = 1;
constexpr int kControlList = 2;

inline QColor DarkFieldColour()
{
    return QColor(32, 32, 32);
}

// Sets white text on the painter; fields and lists get an opaque dark
// background and their brush is returned, every other kind a hollow brush
// on a transparent background.
QBrush ControlColour(int kind, QPainter& painter);

// A rounded panel with a grey left-to-right gradient, a black outline and its
// caption in white Arial 10 bold at the left, centred vertically.
void DrawCaptionedPanel(QPainter& painter, const QString& caption, int left, int top, int right, int bottom,
                        int cornerWidth, int cornerHeight);

// The gradient behind every dialog, top-left to bottom-right. The dark variant
// belongs to the online part information dialog.
constexpr int kBackgroundStandard = 0;
constexpr int kBackgroundDark = 1;
void FillDialogBackground(QPainter& painter, const QRect& clientRect, int variant = kBackgroundStandard);

// Where a stored picture name points: a name without a folder separator ("\"
// or "/") lies in PictureFolder, anything else is a full path.
QString PictureFilePath(const QString& fileName);
// Decodes a picture file (JPEG, PNG, BMP, GIF); a null image when it cannot.
QImage LoadPictureFile(const QString& path);
// Draws the picture stretched into the largest square centred in rect;
// a file that cannot be read draws nothing. False then.
bool DrawPictureFile(const QString& fileName, QPainter& painter, const QRect& rect);

// Makes every pixel whose colour lies between low and high (per channel)
// transparent: how the artwork and attached pictures mark their background.
QImage WithTransparentRange(const QImage& image, const QColor& low, const QColor& high);

// One grid or chart cell: a picture, or a text on an optional fill.
struct CellPainter
{
    int x = 0;
    int y = 0;
    int width = -1; // negative: the painter's visible bounds
    int height = 24;
    QString text = QStringLiteral("this is a test");
    int alignment = 0; // 0 near, 1 centre, 2 far
    int fontStyle = 1; // 1 bold
    int fontSize = 10; // points
    bool gradient = true;
    bool fill = false;
    QColor textColour = QColor(255, 255, 255);
    QColor fillColour = QColor(0, 0, 255);
    bool picture = false;
    QString pictureFile;

    QRect rect(const QPainter& painter) const;
    void draw(QPainter& painter) const;
};
