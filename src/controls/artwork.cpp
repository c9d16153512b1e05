#include "controls/artwork.h"

#include <QHash>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <vector>

namespace {

enum class Glyph {
    None, Tree, Gear, Chip, Truck, Person, Clipboard, Cart, Refresh, Gantt, Document, Globe, Import, Export,
    Sliders, Printer, Question, Check, Cross, Folder, Magnifier, Left, Right, Plus, Minus, CheckCircle, Columns,
    AddTree, Board, Cable, Box, Building, Envelope, Phone, Fax, Calendar, Money, Percent, Note, Coin, Hash, Clock,
    Layers, Shelves, Flag, Picture, Wrench
};

// Glyphs are drawn on a 100 x 100 grid, strokes with round ends.
class GlyphPainter
{
public:
    GlyphPainter(QPainter& p, const QRectF& r, const QColor& c) : m_p(p), m_colour(c)
    {
        m_p.save();
        m_p.setRenderHint(QPainter::Antialiasing, true);
        m_p.translate(r.topLeft());
        m_p.scale(r.width() / 100.0, r.height() / 100.0);
        pen(8);
        m_p.setBrush(Qt::NoBrush);
    }
    ~GlyphPainter() { m_p.restore(); }

    void pen(double w) { m_p.setPen(QPen(m_colour, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)); }
    void solid() { m_p.setBrush(m_colour); }
    void hollow() { m_p.setBrush(Qt::NoBrush); }
    void line(double x1, double y1, double x2, double y2) { m_p.drawLine(QPointF(x1, y1), QPointF(x2, y2)); }
    void rect(double x, double y, double w, double h, double r = 6) { m_p.drawRoundedRect(QRectF(x, y, w, h), r, r); }
    void circle(double cx, double cy, double r) { m_p.drawEllipse(QPointF(cx, cy), r, r); }
    void path(const QPainterPath& path) { m_p.drawPath(path); }
    void text(const QRectF& r, const QString& t, double size)
    {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(int(size));
        f.setBold(true);
        m_p.setFont(f);
        m_p.drawText(r, Qt::AlignCenter, t);
    }
    QPainter& painter() { return m_p; }

private:
    QPainter& m_p;
    QColor m_colour;
};

void arrow(GlyphPainter& g, double x1, double y1, double x2, double y2)
{
    g.line(x1, y1, x2, y2);
    const QLineF l(x2, y2, x1, y1);
    QLineF a = l;
    a.setLength(22);
    a.setAngle(l.angle() + 35);
    QLineF b = l;
    b.setLength(22);
    b.setAngle(l.angle() - 35);
    g.line(x2, y2, a.p2().x(), a.p2().y());
    g.line(x2, y2, b.p2().x(), b.p2().y());
}

void drawGlyph(QPainter& p, const QRectF& r, Glyph glyph, const QColor& colour)
{
    GlyphPainter g(p, r, colour);
    switch (glyph) {
    case Glyph::None:
        break;
    case Glyph::Tree:
    case Glyph::AddTree:
        g.solid();
        g.rect(36, 10, 28, 20, 4);
        g.rect(10, 68, 26, 20, 4);
        g.rect(64, 68, 26, 20, 4);
        g.line(50, 30, 50, 50);
        g.line(23, 50, 77, 50);
        g.line(23, 50, 23, 68);
        g.line(77, 50, 77, 68);
        if (glyph == Glyph::AddTree) {
            g.pen(10);
            g.line(80, 8, 80, 36);
            g.line(66, 22, 94, 22);
        }
        break;
    case Glyph::Gear: {
        QPainterPath gear;
        for (int i = 0; i < 8; ++i) {
            QPainterPath tooth;
            tooth.addRoundedRect(QRectF(-9, -46, 18, 20), 3, 3);
            QTransform t;
            t.translate(50, 50);
            t.rotate(i * 45);
            gear.addPath(t.map(tooth));
        }
        gear.addEllipse(QPointF(50, 50), 30, 30);
        QPainterPath hole;
        hole.addEllipse(QPointF(50, 50), 12, 12);
        g.solid();
        g.pen(1);
        g.path(gear.simplified().subtracted(hole));
        break;
    }
    case Glyph::Chip:
        g.solid();
        g.rect(26, 22, 48, 56, 6);
        for (int i = 0; i < 4; ++i) {
            g.line(14, 30 + i * 13, 26, 30 + i * 13);
            g.line(74, 30 + i * 13, 86, 30 + i * 13);
        }
        break;
    case Glyph::Truck:
        g.solid();
        g.rect(6, 28, 54, 40, 4);
        g.rect(60, 42, 30, 26, 6);
        g.circle(24, 76, 10);
        g.circle(74, 76, 10);
        break;
    case Glyph::Person:
        g.solid();
        g.circle(50, 28, 17);
        {
            QPainterPath body;
            body.moveTo(16, 92);
            body.cubicTo(16, 52, 84, 52, 84, 92);
            body.closeSubpath();
            g.path(body);
        }
        break;
    case Glyph::Clipboard:
        g.rect(20, 16, 60, 76, 6);
        g.solid();
        g.rect(36, 8, 28, 16, 4);
        g.line(32, 44, 68, 44);
        g.line(32, 60, 68, 60);
        g.line(32, 76, 56, 76);
        break;
    case Glyph::Cart:
        g.line(6, 20, 20, 20);
        g.line(20, 20, 32, 66);
        g.line(32, 66, 80, 66);
        g.solid();
        g.path([] {
            QPainterPath basket;
            basket.moveTo(24, 30);
            basket.lineTo(90, 30);
            basket.lineTo(80, 56);
            basket.lineTo(31, 56);
            basket.closeSubpath();
            return basket;
        }());
        g.circle(38, 82, 8);
        g.circle(74, 82, 8);
        break;
    case Glyph::Refresh: {
        g.pen(10);
        QPainterPath a;
        a.arcMoveTo(QRectF(16, 16, 68, 68), 100);
        a.arcTo(QRectF(16, 16, 68, 68), 100, 240);
        g.path(a);
        g.solid();
        g.pen(2);
        QPainterPath head;
        head.moveTo(44, 4);
        head.lineTo(64, 18);
        head.lineTo(44, 32);
        head.closeSubpath();
        g.path(head);
        break;
    }
    case Glyph::Gantt:
        g.line(10, 10, 10, 90);
        g.line(10, 90, 92, 90);
        g.solid();
        g.rect(18, 18, 36, 14, 3);
        g.rect(40, 42, 40, 14, 3);
        g.rect(58, 66, 32, 14, 3);
        break;
    case Glyph::Document:
        g.path([] {
            QPainterPath d;
            d.moveTo(22, 8);
            d.lineTo(62, 8);
            d.lineTo(80, 26);
            d.lineTo(80, 92);
            d.lineTo(22, 92);
            d.closeSubpath();
            return d;
        }());
        g.line(34, 40, 68, 40);
        g.line(34, 56, 68, 56);
        g.line(34, 72, 58, 72);
        break;
    case Glyph::Globe:
        g.circle(50, 50, 40);
        g.painter().drawEllipse(QRectF(32, 10, 36, 80));
        g.line(10, 50, 90, 50);
        g.line(50, 10, 50, 90);
        break;
    case Glyph::Import:
    case Glyph::Export:
        g.line(10, 62, 10, 90);
        g.line(10, 90, 90, 90);
        g.line(90, 90, 90, 62);
        g.pen(10);
        if (glyph == Glyph::Import)
            arrow(g, 50, 8, 50, 70);
        else
            arrow(g, 50, 70, 50, 8);
        break;
    case Glyph::Sliders:
        for (int i = 0; i < 3; ++i) {
            const double y = 22 + i * 28;
            g.line(10, y, 90, y);
        }
        g.solid();
        g.circle(30, 22, 10);
        g.circle(68, 50, 10);
        g.circle(42, 78, 10);
        break;
    case Glyph::Printer:
        g.rect(28, 8, 44, 26, 2);
        g.solid();
        g.rect(8, 34, 84, 40, 8);
        g.hollow();
        g.painter().setBrush(QColor(255, 255, 255));
        g.rect(28, 58, 44, 34, 2);
        break;
    case Glyph::Question:
        g.circle(50, 50, 42);
        g.text(QRectF(0, 0, 100, 100), QStringLiteral("?"), 64);
        break;
    case Glyph::Check:
        g.pen(16);
        g.line(14, 52, 40, 78);
        g.line(40, 78, 88, 24);
        break;
    case Glyph::Cross:
        g.pen(16);
        g.line(20, 20, 80, 80);
        g.line(80, 20, 20, 80);
        break;
    case Glyph::Folder:
        g.solid();
        g.path([] {
            QPainterPath f;
            f.moveTo(8, 20);
            f.lineTo(38, 20);
            f.lineTo(46, 30);
            f.lineTo(92, 30);
            f.lineTo(92, 84);
            f.lineTo(8, 84);
            f.closeSubpath();
            return f;
        }());
        break;
    case Glyph::Magnifier:
        g.pen(10);
        g.circle(42, 42, 26);
        g.pen(16);
        g.line(62, 62, 88, 88);
        break;
    case Glyph::Left:
        g.pen(14);
        arrow(g, 88, 50, 14, 50);
        break;
    case Glyph::Right:
        g.pen(14);
        arrow(g, 12, 50, 86, 50);
        break;
    case Glyph::Plus:
        g.pen(16);
        g.line(50, 14, 50, 86);
        g.line(14, 50, 86, 50);
        break;
    case Glyph::Minus:
        g.pen(16);
        g.line(14, 50, 86, 50);
        break;
    case Glyph::CheckCircle:
        g.circle(50, 50, 40);
        g.pen(12);
        g.line(30, 52, 45, 67);
        g.line(45, 67, 72, 34);
        break;
    case Glyph::Columns:
        g.solid();
        g.rect(8, 14, 24, 72, 3);
        g.rect(38, 14, 24, 72, 3);
        g.hollow();
        g.rect(68, 14, 24, 72, 3);
        break;
    case Glyph::Board:
        g.solid();
        g.rect(8, 18, 84, 64, 6);
        g.painter().setPen(QPen(QColor(255, 220, 0), 5));
        g.line(20, 34, 50, 34);
        g.line(50, 34, 60, 50);
        g.line(60, 50, 82, 50);
        g.line(20, 66, 70, 66);
        break;
    case Glyph::Cable: {
        g.pen(10);
        QPainterPath c;
        c.moveTo(12, 80);
        c.cubicTo(30, 20, 70, 80, 88, 20);
        g.path(c);
        g.solid();
        g.rect(4, 76, 18, 18, 3);
        g.rect(78, 6, 18, 18, 3);
        break;
    }
    case Glyph::Box:
        g.solid();
        g.rect(12, 30, 76, 60, 4);
        g.painter().setPen(QPen(QColor(40, 30, 10), 5));
        g.line(50, 30, 50, 90);
        g.pen(8);
        g.line(12, 30, 28, 12);
        g.line(28, 12, 72, 12);
        g.line(72, 12, 88, 30);
        break;
    case Glyph::Building:
        g.solid();
        g.rect(18, 10, 64, 84, 3);
        g.painter().setPen(Qt::NoPen);
        g.painter().setBrush(QColor(40, 40, 60));
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                g.painter().drawRect(QRectF(28 + col * 17, 20 + row * 18, 10, 10));
        g.painter().drawRect(QRectF(42, 76, 16, 18));
        break;
    case Glyph::Envelope:
        g.rect(8, 22, 84, 58, 6);
        g.line(8, 26, 50, 56);
        g.line(50, 56, 92, 26);
        break;
    case Glyph::Phone: {
        g.solid();
        QPainterPath h;
        h.moveTo(22, 10);
        h.cubicTo(4, 30, 50, 96, 86, 84);
        h.lineTo(76, 64);
        h.lineTo(62, 70);
        h.cubicTo(50, 62, 40, 50, 34, 38);
        h.lineTo(44, 26);
        h.closeSubpath();
        g.path(h);
        break;
    }
    case Glyph::Fax:
        g.rect(26, 8, 48, 30, 2);
        g.solid();
        g.rect(8, 38, 84, 52, 8);
        g.painter().setPen(QPen(QColor(30, 30, 30), 5));
        g.line(24, 56, 76, 56);
        g.line(24, 72, 76, 72);
        break;
    case Glyph::Calendar:
        g.rect(10, 16, 80, 76, 6);
        g.solid();
        g.rect(10, 16, 80, 20, 6);
        g.line(30, 6, 30, 22);
        g.line(70, 6, 70, 22);
        g.hollow();
        g.pen(6);
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 2; ++j)
                g.circle(30 + i * 20, 54 + j * 20, 3);
        break;
    case Glyph::Money:
        g.rect(6, 24, 88, 52, 6);
        g.circle(50, 50, 14);
        break;
    case Glyph::Percent:
        g.line(80, 16, 20, 84);
        g.circle(28, 28, 12);
        g.circle(72, 72, 12);
        break;
    case Glyph::Note:
        g.solid();
        g.rect(12, 12, 76, 76, 6);
        g.painter().setPen(QPen(QColor(30, 30, 30), 6));
        g.line(26, 34, 74, 34);
        g.line(26, 52, 74, 52);
        g.line(26, 70, 56, 70);
        break;
    case Glyph::Coin:
        g.circle(50, 50, 40);
        g.text(QRectF(0, 2, 100, 100), QStringLiteral("$"), 58);
        break;
    case Glyph::Hash:
        g.text(QRectF(0, 0, 100, 100), QStringLiteral("#"), 80);
        break;
    case Glyph::Clock:
        g.circle(50, 50, 40);
        g.line(50, 50, 50, 24);
        g.line(50, 50, 70, 60);
        break;
    case Glyph::Layers:
        g.solid();
        for (int i = 2; i >= 0; --i) {
            QPainterPath d;
            const double y = 24 + i * 20;
            d.moveTo(50, y - 16);
            d.lineTo(90, y + 4);
            d.lineTo(50, y + 24);
            d.lineTo(10, y + 4);
            d.closeSubpath();
            g.path(d);
        }
        break;
    case Glyph::Shelves:
        g.line(10, 10, 10, 92);
        g.line(90, 10, 90, 92);
        g.line(10, 36, 90, 36);
        g.line(10, 64, 90, 64);
        g.line(10, 90, 90, 90);
        g.solid();
        g.rect(20, 16, 22, 16, 2);
        g.rect(54, 44, 26, 16, 2);
        g.rect(24, 70, 30, 16, 2);
        break;
    case Glyph::Flag:
        g.line(20, 8, 20, 94);
        g.solid();
        g.path([] {
            QPainterPath f;
            f.moveTo(22, 10);
            f.lineTo(86, 26);
            f.lineTo(22, 46);
            f.closeSubpath();
            return f;
        }());
        break;
    case Glyph::Picture:
        g.rect(8, 14, 84, 72, 6);
        g.solid();
        g.circle(32, 36, 8);
        g.path([] {
            QPainterPath m;
            m.moveTo(14, 80);
            m.lineTo(42, 50);
            m.lineTo(58, 66);
            m.lineTo(70, 54);
            m.lineTo(86, 80);
            m.closeSubpath();
            return m;
        }());
        break;
    case Glyph::Wrench:
        g.pen(14);
        g.line(26, 74, 62, 38);
        g.pen(10);
        g.circle(70, 30, 16);
        g.solid();
        g.circle(24, 76, 10);
        break;
    }
}

// A glossy rounded tile in an accent colour behind a white glyph: the look of
// the large command-bar icons.
void drawTile(QPainter& p, const QRectF& r, const QColor& accent, Glyph glyph)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF tile = r.adjusted(3, 3, -3, -3);
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, accent.lighter(150));
    g.setColorAt(0.5, accent);
    g.setColorAt(1, accent.darker(180));
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.setBrush(g);
    p.drawRoundedRect(tile, tile.width() * 0.2, tile.height() * 0.2);
    QLinearGradient shine(tile.topLeft(), QPointF(tile.left(), tile.center().y()));
    shine.setColorAt(0, QColor(255, 255, 255, 110));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawRoundedRect(tile.adjusted(2, 2, -2, -tile.height() / 2), tile.width() * 0.18, tile.height() * 0.18);
    p.restore();
    const double inset = r.width() * 0.24;
    drawGlyph(p, r.adjusted(inset, inset, -inset, -inset), glyph, QColor(255, 255, 255));
}

QImage blank(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

struct CellSpec
{
    Glyph glyph;
    QColor colour;
};

const QColor kBlue(60, 110, 200), kGreen(40, 150, 70), kRed(190, 50, 50), kAmber(210, 140, 20),
    kTeal(20, 140, 150), kPurple(120, 70, 170), kSteel(110, 120, 140), kLight(230, 230, 235);

QImage tileStrip(int side, const std::vector<CellSpec>& cells)
{
    QImage strip = blank(side * int(cells.size()), side);
    QPainter p(&strip);
    for (size_t i = 0; i < cells.size(); ++i)
        drawTile(p, QRectF(side * double(i), 0, side, side), cells[i].colour, cells[i].glyph);
    return strip;
}

QImage glyphStrip(int side, const std::vector<CellSpec>& cells, double inset)
{
    QImage strip = blank(side * int(cells.size()), side);
    QPainter p(&strip);
    for (size_t i = 0; i < cells.size(); ++i)
        drawGlyph(p, QRectF(side * double(i) + inset, inset, side - 2 * inset, side - 2 * inset), cells[i].glyph,
                  cells[i].colour);
    return strip;
}

QImage commandBar()
{
    return tileStrip(48, {{Glyph::Tree, kBlue},     {Glyph::Gear, kSteel},      {Glyph::Chip, kTeal},
                          {Glyph::Truck, kAmber},   {Glyph::Wrench, kPurple},   {Glyph::Clipboard, kGreen},
                          {Glyph::Cart, kRed},      {Glyph::Refresh, kGreen},   {Glyph::Gantt, kBlue},
                          {Glyph::Clipboard, kAmber}, {Glyph::Document, kTeal}, {Glyph::Globe, kBlue},      {Glyph::Import, kAmber},
                          {Glyph::Export, kAmber},  {Glyph::Sliders, kSteel},   {Glyph::Printer, kPurple},
                          {Glyph::Question, kTeal}});
}

QImage buttonIcons()
{
    // Pairs: normal in the glyph's colour, hover brighter with a cyan edge.
    const std::vector<CellSpec> icons = {{Glyph::Check, QColor(90, 220, 110)}, {Glyph::Cross, QColor(235, 80, 70)},
                                         {Glyph::Printer, kLight},              {Glyph::Globe, QColor(120, 180, 255)},
                                         {Glyph::Folder, QColor(240, 200, 90)}, {Glyph::Magnifier, kLight},
                                         {Glyph::Left, kLight},                 {Glyph::Right, kLight}};
    QImage strip = blank(48 * int(icons.size()) * 2, 48);
    QPainter p(&strip);
    for (size_t i = 0; i < icons.size(); ++i) {
        const QRectF normal(96.0 * i + 10, 10, 28, 28);
        drawGlyph(p, normal, icons[i].glyph, icons[i].colour);
        const QRectF hover(96.0 * i + 48 + 8, 8, 32, 32);
        drawGlyph(p, hover.adjusted(-1, -1, 1, 1), icons[i].glyph, QColor(0, 255, 255, 90));
        drawGlyph(p, hover, icons[i].glyph, icons[i].colour.lighter(130));
    }
    return strip;
}

QImage buttonBackgrounds()
{
    QImage strip = blank(96 * 4, 48);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, true);
    struct Look
    {
        QColor top, bottom, edge;
    };
    const Look looks[4] = {
        {QColor(110, 110, 118), QColor(28, 28, 32), QColor(0, 0, 0)},      // normal
        {QColor(20, 20, 60), QColor(60, 60, 130), QColor(0, 0, 255)},      // pressed
        {QColor(140, 140, 160), QColor(40, 40, 60), QColor(0, 200, 200)},  // hover
        {QColor(90, 90, 90), QColor(70, 70, 70), QColor(60, 60, 60)},      // disabled
    };
    for (int i = 0; i < 4; ++i) {
        const QRectF r(96.0 * i + 1.5, 1.5, 93, 45);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, looks[i].top);
        g.setColorAt(1, looks[i].bottom);
        p.setPen(QPen(looks[i].edge, 2));
        p.setBrush(g);
        p.drawRoundedRect(r, 10, 10);
    }
    return strip;
}

QImage menuIcons(bool bom)
{
    std::vector<CellSpec> cells = {{Glyph::Plus, QColor(90, 220, 110)}};
    if (bom)
        cells.push_back({Glyph::AddTree, QColor(120, 180, 255)});
    cells.push_back({Glyph::Minus, QColor(235, 80, 70)});
    cells.push_back({Glyph::CheckCircle, QColor(240, 200, 90)});
    cells.push_back({Glyph::Columns, kLight});
    cells.push_back({Glyph::Printer, kLight});
    const int count = int(cells.size());
    QImage strip = blank(24 * (10 + count), 24);
    QPainter p(&strip);
    for (int i = 0; i < count; ++i) {
        drawGlyph(p, QRectF(24.0 * i + 2, 2, 20, 20), cells[size_t(i)].glyph, cells[size_t(i)].colour);
        drawGlyph(p, QRectF(24.0 * (i + 10) + 2, 2, 20, 20), cells[size_t(i)].glyph, QColor(100, 100, 100));
    }
    return strip;
}

QImage menuBackgrounds()
{
    QImage strip = blank(128 * 3, 36);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor tops[3] = {QColor(90, 90, 96), QColor(20, 20, 70), QColor(50, 50, 50)};
    const QColor bottoms[3] = {QColor(20, 20, 24), QColor(50, 50, 120), QColor(35, 35, 35)};
    for (int i = 0; i < 3; ++i) {
        const QRectF r(128.0 * i + 1, 1, 124, 34);
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, tops[i]);
        g.setColorAt(1, bottoms[i]);
        p.setPen(QPen(QColor(0, 0, 0), 1));
        p.setBrush(g);
        p.drawRoundedRect(r, 6, 6);
    }
    return strip;
}

// Drawn on a 64-pixel grid and scaled as a whole, so the menu's and the
// window's icons are one picture at every size.
QImage windowIcon(int side)
{
    QImage image = blank(side, side);
    QPainter p(&image);
    p.scale(side / 64.0, side / 64.0);
    drawTile(p, QRectF(0, 0, 64, 64), kBlue, Glyph::None);
    p.setRenderHint(QPainter::Antialiasing, true);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(40);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(0, 0, 64, 64), Qt::AlignCenter, QStringLiteral("K"));
    return image;
}

QImage splash()
{
    QImage image(480, 270, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient bg(0, 0, 480, 270);
    bg.setColorAt(0, QColor(72, 72, 110));
    bg.setColorAt(1, QColor(12, 12, 24));
    p.fillRect(image.rect(), bg);
    // A faint bill of materials drawn as a tree behind the name.
    p.setPen(QPen(QColor(255, 255, 0, 60), 2));
    const QPointF root(400, 168);
    for (int i = 0; i < 3; ++i) {
        const QPointF child(350 + i * 50, 208);
        p.drawLine(root, child);
        for (int j = 0; j < 2; ++j)
            p.drawLine(child, QPointF(child.x() - 12 + j * 24, 248));
    }
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(root, 10, 10);
    drawTile(p, QRectF(34, 40, 72, 72), kBlue, Glyph::Tree);
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(64);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(120, 36, 340, 80), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KOLT"));
    QFont sub(QStringLiteral("DejaVu Sans"));
    sub.setPixelSize(16);
    p.setFont(sub);
    p.setPen(QColor(200, 200, 220));
    p.drawText(QRectF(36, 130, 420, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Bills of materials \u00b7 requirements \u00b7 purchasing"));
    return image;
}

QImage picturePlaceholder()
{
    QImage image(64, 64, QImage::Format_ARGB32);
    image.fill(QColor(255, 0, 255));
    QPainter p(&image);
    drawGlyph(p, QRectF(6, 6, 52, 52), Glyph::Picture, QColor(180, 180, 190));
    return image;
}

QImage categories()
{
    QImage strip(32 * 7, 32, QImage::Format_ARGB32);
    // The cells keep a magenta background, the transparent colour of this strip.
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    const CellSpec cells[4] = {{Glyph::Chip, QColor(80, 200, 220)},
                               {Glyph::Board, QColor(40, 160, 80)},
                               {Glyph::Cable, QColor(240, 160, 60)},
                               {Glyph::Box, QColor(200, 160, 100)}};
    for (int i = 0; i < 4; ++i)
        drawGlyph(p, QRectF(32.0 * i + 2, 2, 28, 28), cells[i].glyph, cells[i].colour);
    return strip;
}

QImage build(int resource)
{
    switch (resource) {
    case kArtWindowIcon:
        return windowIcon(64);
    case kArtSplash:
        return splash();
    case kArtMiniMenuIcons:
        return menuIcons(false);
    case kArtBomMenuIcons:
        return menuIcons(true);
    case kArtTreeIcons:
        // 0 component, 1 board, 2 cable, 3 assembly, 4 packaging, 5 routing step,
        // 6 labour, 7 vendor, 8 document, 9 folder, 10 top-level assembly.
        return glyphStrip(24, {{Glyph::Chip, QColor(80, 200, 220)},  {Glyph::Board, QColor(60, 190, 100)},
                               {Glyph::Cable, QColor(240, 160, 60)}, {Glyph::Tree, QColor(120, 180, 255)},
                               {Glyph::Box, QColor(200, 160, 100)},  {Glyph::Gear, kLight},
                               {Glyph::Wrench, kLight},              {Glyph::Truck, QColor(240, 200, 90)},
                               {Glyph::Document, kLight},            {Glyph::Folder, QColor(240, 200, 90)},
                               {Glyph::Layers, QColor(255, 255, 0)}},
                          2);
    case kArtCommandBar:
        return commandBar();
    case kArtCategories:
        return categories();
    case kArtStages:
        return tileStrip(32, {{Glyph::Tree, kBlue},      {Glyph::Layers, kTeal}, {Glyph::Shelves, kAmber},
                              {Glyph::Cart, kRed},       {Glyph::Gear, kSteel},  {Glyph::Flag, kGreen},
                              {Glyph::Cross, kRed},      {Glyph::Gantt, kPurple}});
    case kArtFieldIcons:
        return tileStrip(32, {{Glyph::Building, kBlue},   {Glyph::Person, kTeal},   {Glyph::Envelope, kAmber},
                              {Glyph::Document, kSteel},  {Glyph::Folder, kAmber},  {Glyph::Phone, kGreen},
                              {Glyph::Fax, kSteel},       {Glyph::Calendar, kRed},  {Glyph::Truck, kAmber},
                              {Glyph::Money, kGreen},     {Glyph::Percent, kPurple}, {Glyph::Note, kSteel},
                              {Glyph::Coin, kGreen},      {Glyph::Globe, kBlue},    {Glyph::Hash, kPurple},
                              {Glyph::Clock, kTeal}});
    case kArtButtonBackgrounds:
        return buttonBackgrounds();
    case kArtButtonIcons:
        return buttonIcons();
    case kArtPicturePlaceholder:
        return picturePlaceholder();
    case kArtMiniMenuBackgrounds:
        return menuBackgrounds();
    default:
        return QImage();
    }
}

} // namespace

QImage ApplicationIcon(int side)
{
    return windowIcon(side);
}

QImage Artwork(int resource)
{
    static QHash<int, QImage> cache;
    auto it = cache.find(resource);
    if (it == cache.end())
        it = cache.insert(resource, build(resource));
    return *it;
}

QSize ArtworkCellSize(int resource)
{
    switch (resource) {
    case kArtMiniMenuIcons:
    case kArtBomMenuIcons:
    case kArtTreeIcons:
        return QSize(24, 24);
    case kArtCommandBar:
    case kArtButtonIcons:
        return QSize(48, 48);
    case kArtCategories:
    case kArtStages:
    case kArtFieldIcons:
        return QSize(32, 32);
    case kArtButtonBackgrounds:
        return QSize(96, 48);
    case kArtMiniMenuBackgrounds:
        return QSize(128, 36);
    default:
        return Artwork(resource).size();
    }
}

int ArtworkCellCount(int resource)
{
    const QSize cell = ArtworkCellSize(resource);
    return cell.width() > 0 ? Artwork(resource).width() / cell.width() : 0;
}

QImage ArtworkCell(int resource, int index)
{
    const QSize cell = ArtworkCellSize(resource);
    if (index < 0 || index >= ArtworkCellCount(resource)) {
        QImage empty(cell.isValid() ? cell : QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
        empty.fill(Qt::transparent);
        return empty;
    }
    return Artwork(resource).copy(index * cell.width(), 0, cell.width(), cell.height());
}
