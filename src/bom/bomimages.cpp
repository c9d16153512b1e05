#include "bom/bomimages.h"

#include "bom/bomtree.h"
#include "controls/artwork.h"
#include "controls/drawing.h"

#include <QPainter>
#include <QPainterPath>

namespace {

void drawChip(QPainter& p, double s)
{
    p.setPen(QPen(QColor(200, 200, 200), s * 0.06));
    for (int i = 0; i < 3; ++i) {
        const double y = s * (0.3 + 0.2 * i);
        p.drawLine(QPointF(s * 0.12, y), QPointF(s * 0.88, y));
    }
    p.setPen(QPen(Qt::black, s * 0.03));
    p.setBrush(QColor(40, 40, 48));
    p.drawRoundedRect(QRectF(s * 0.22, s * 0.18, s * 0.56, s * 0.64), s * 0.05, s * 0.05);
    p.setBrush(QColor(160, 160, 170));
    p.drawEllipse(QRectF(s * 0.28, s * 0.24, s * 0.1, s * 0.1));
}

void drawBoard(QPainter& p, double s)
{
    p.setPen(QPen(QColor(0, 60, 0), s * 0.04));
    p.setBrush(QColor(20, 130, 50));
    p.drawRect(QRectF(s * 0.08, s * 0.16, s * 0.84, s * 0.68));
    p.setPen(QPen(QColor(220, 190, 80), s * 0.04));
    p.drawLine(QPointF(s * 0.2, s * 0.3), QPointF(s * 0.5, s * 0.3));
    p.drawLine(QPointF(s * 0.5, s * 0.3), QPointF(s * 0.5, s * 0.7));
    p.drawLine(QPointF(s * 0.5, s * 0.7), QPointF(s * 0.8, s * 0.7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    p.drawRect(QRectF(s * 0.6, s * 0.26, s * 0.22, s * 0.22));
}

void drawWire(QPainter& p, double s)
{
    QPainterPath path(QPointF(s * 0.1, s * 0.7));
    path.cubicTo(QPointF(s * 0.3, s * 0.1), QPointF(s * 0.6, s * 0.95), QPointF(s * 0.9, s * 0.3));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(200, 40, 40), s * 0.1, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(QPen(QColor(230, 200, 60), s * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path.translated(0, s * 0.1));
}

void drawBox(QPainter& p, double s)
{
    p.setPen(QPen(QColor(90, 60, 20), s * 0.04));
    p.setBrush(QColor(200, 150, 80));
    p.drawRect(QRectF(s * 0.15, s * 0.35, s * 0.7, s * 0.5));
    p.setBrush(QColor(225, 180, 110));
    QPolygonF lid;
    lid << QPointF(s * 0.15, s * 0.35) << QPointF(s * 0.3, s * 0.15) << QPointF(s * 0.7, s * 0.15)
        << QPointF(s * 0.85, s * 0.35);
    p.drawPolygon(lid);
    p.drawLine(QPointF(s * 0.5, s * 0.35), QPointF(s * 0.5, s * 0.85));
}

void drawAssembly(QPainter& p, double s, const QColor& colour)
{
    p.setPen(QPen(Qt::black, s * 0.04));
    p.setBrush(colour);
    p.drawRect(QRectF(s * 0.1, s * 0.1, s * 0.4, s * 0.35));
    p.drawRect(QRectF(s * 0.5, s * 0.55, s * 0.4, s * 0.35));
    p.drawRect(QRectF(s * 0.1, s * 0.55, s * 0.3, s * 0.35));
    p.setPen(QPen(QColor(255, 255, 0), s * 0.05));
    p.drawLine(QPointF(s * 0.3, s * 0.45), QPointF(s * 0.3, s * 0.55));
    p.drawLine(QPointF(s * 0.5, s * 0.28), QPointF(s * 0.7, s * 0.28));
    p.drawLine(QPointF(s * 0.7, s * 0.28), QPointF(s * 0.7, s * 0.55));
}

void drawStep(QPainter& p, double s)
{
    p.setPen(QPen(Qt::black, s * 0.04));
    p.setBrush(QColor(120, 180, 255));
    p.drawEllipse(QRectF(s * 0.15, s * 0.15, s * 0.7, s * 0.7));
    p.setPen(QPen(Qt::white, s * 0.08, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.5, s * 0.25));
    p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.68, s * 0.58));
}

void drawOther(QPainter& p, double s)
{
    p.setPen(QPen(Qt::black, s * 0.04));
    p.setBrush(QColor(180, 180, 180));
    p.drawEllipse(QRectF(s * 0.25, s * 0.25, s * 0.5, s * 0.5));
}

QImage canvas(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

QImage ChartCategoryIcon(int index)
{
    // The shared category strip when it has the cell, our own drawing otherwise.
    // Its magenta background is transparent.
    const QImage art = ArtworkCell(kArtCategories, index);
    if (!art.isNull() && index >= 0 && index < 4)
        return WithTransparentRange(art, QColor(0xC0, 0, 0xC0), QColor(0xFF, 0, 0xFF));
    QImage image = canvas(32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 1: drawBoard(p, 32); break;
    case 2: drawWire(p, 32); break;
    case 3: drawBox(p, 32); break;
    default: drawChip(p, 32); break;
    }
    return image;
}

QImage TreeIcon(int cell)
{
    QImage image = canvas(24);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (cell) {
    case kTreeImageBoard: drawBoard(p, 24); break;
    case kTreeImageComponent: drawChip(p, 24); break;
    case kTreeImageSubAssembly: drawAssembly(p, 24, QColor(120, 200, 255)); break;
    case kTreeImageWire: drawWire(p, 24); break;
    case kTreeImagePackaging: drawBox(p, 24); break;
    case kTreeImageStep: drawStep(p, 24); break;
    case kTreeImageAssembly: drawAssembly(p, 24, QColor(255, 200, 80)); break;
    default: drawOther(p, 24); break;
    }
    return image;
}
