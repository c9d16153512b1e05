#include "bom/treepaint.h"

#include "bom/bomimages.h"
#include "bom/treelayout.h"
#include "core/dictionary.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

// A fill with colour c fading to c * f / 256 at the bottom.
QLinearGradient fadeGradient(const QRectF& rect, const QColor& c, int f)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, c);
    gradient.setColorAt(1, QColor(c.red() * f / 256, c.green() * f / 256, c.blue() * f / 256, c.alpha()));
    return gradient;
}

void drawCell(QPainter& p, const QRect& cell, const QColor& colour, int f, const QColor& textColour,
              const QString& text)
{
    p.fillRect(cell, fadeGradient(cell, colour, f));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(cell);
    p.setPen(textColour);
    const QString shown = p.fontMetrics().elidedText(text, Qt::ElideRight, std::max(0, cell.width() - 2));
    p.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

void drawBox(QPainter& p, const TreeLayout& layout, int i, QPoint scroll, double connectorWidth)
{
    const AssemblyNode& node = layout.nodes[i];
    const QRect box(QPoint(node.left, node.top) - scroll, QPoint(node.right, node.bottom) - scroll);

    p.setFont(layout.titleFont());
    const int H = p.fontMetrics().height();

    p.setPen(QPen(Qt::black, 1));
    p.setBrush(QColor(128, 128, 128));
    p.drawRoundedRect(box, H / 2.0, H / 2.0);
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(box), H / 2.0, H / 2.0);
    QLinearGradient diagonal(box.topLeft(), box.bottomRight());
    diagonal.setColorAt(0, QColor(192, 192, 192));
    diagonal.setColorAt(1, QColor(64, 64, 64));
    p.fillPath(rounded, diagonal);
    p.strokePath(rounded, QPen(Qt::black, 3));

    const double side = 1.6 * H;
    const QRectF image(box.left() + H / 2.0, box.top() + H / 4.0, side, side);
    p.drawImage(image, ChartCategoryIcon(node.categoryImage));

    const int textX = qRound(image.left() + side + 10);
    const int textY = box.top() + H / 4;
    p.setPen(Qt::white);
    p.drawText(QRect(textX, textY, std::max(0, box.right() - 10 - textX), H), Qt::AlignLeft | Qt::AlignTop,
               node.name);

    p.setFont(layout.bodyFont(QFont::Bold));
    p.drawText(QRect(box.left(), textY, box.width() - 10, H), Qt::AlignRight | Qt::AlignVCenter, node.costDetail);
    p.drawText(QRect(textX, textY + H, std::max(0, box.right() - textX), p.fontMetrics().height()),
               Qt::AlignLeft | Qt::AlignTop, node.description);

    const int lh = node.lineHeight;
    auto drawRow = [&](int y, bool caption, int line) {
        int x = node.textLeft - scroll.x();
        for (int c = 0; c < layout.columnCount; ++c) {
            const int width = node.columnWidths[c];
            if (width <= 0)
                continue;
            const QRect cell(x, y, width, lh);
            if (caption)
                drawCell(p, cell, QColor(128, 128, 128), 32, Qt::white,
                         Translate(QString::fromUtf8(kTreeCaptions[c])));
            else
                drawCell(p, cell, Qt::white, 200, Qt::black, layout.cellText(node, line, c));
            x += width;
        }
    };
    drawRow(node.tableTop - lh - scroll.y(), true, -1);
    for (int k = 0; k < node.lineCount; ++k)
        drawRow(node.tableTop + k * lh - scroll.y(), false, k);

    int colour = 0;
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < node.lineCount; ++k) {
        const int child = node.childLinks[k];
        if (child < 0 || child >= static_cast<int>(layout.nodes.size()))
            continue;
        const AssemblyNode& target = layout.nodes[child];
        const QPointF from(node.tableRight - scroll.x(), node.tableTop + k * lh + lh / 2 - scroll.y());
        const QPointF to(target.left - scroll.x(), target.top + H - scroll.y());
        p.setPen(QPen(ConnectorColour(colour), connectorWidth));
        p.drawPath(ConnectorPath(from, to));
        colour = (colour + 1) % 4;
    }
}

} // namespace

void PaintTreeBackground(QPainter& painter, const QRect& client)
{
    painter.fillRect(client, fadeGradient(client, QColor(192, 192, 224), 1));
}

void PaintAssemblyTree(QPainter& painter, const TreeLayout& layout, QPoint scroll, double connectorWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < static_cast<int>(layout.nodes.size()); ++i)
        drawBox(painter, layout, i, scroll, connectorWidth);
    painter.restore();
}

QColor ConnectorColour(int index)
{
    static const QColor colours[4] = {QColor(255, 255, 0, 192), QColor(255, 0, 0, 192), QColor(0, 0, 255, 192),
                                      QColor(0, 255, 0, 192)};
    return colours[((index % 4) + 4) % 4];
}

QPainterPath ConnectorPath(QPointF from, QPointF to)
{
    QPointF start = from;
    QPointF end = to;
    if (end.x() < start.x())
        std::swap(start, end);
    const double dy = end.y() - start.y();
    const double r = std::min(std::abs(dy), 50.0);
    const double half = r / 2;
    const double s = dy >= 0 ? 1 : -1;
    const double turnX = end.x() - 40;

    QPainterPath path(start);
    if (r == 0) {
        path.lineTo(end);
        return path;
    }
    path.lineTo(turnX - half, start.y());
    path.arcTo(QRectF(turnX - r, start.y() + s * half - half, r, r), 90 * s, -90 * s);
    path.lineTo(turnX, end.y() - s * half);
    path.arcTo(QRectF(turnX, end.y() - s * half - half, r, r), 180, 90 * s);
    path.lineTo(end);
    return path;
}

QString PrintTimestamp()
{
    return QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("dddd, MMMM dd, yyyy HH:mm:ss"));
}

bool PrintAssemblyTree(TreeLayout& layout, QPagedPaintDevice& device)
{
    // The print scale comes from the on-screen extents; without an earlier
    // screen build there are none yet.
    if (layout.screenWidth <= 0 || layout.screenHeight <= 0) {
        layout.printing = false;
        layout.printer = nullptr;
        layout.bodyFontHeight = 14;
        layout.build();
    }
    const int dpiX = device.logicalDpiX();
    const int dpiY = device.logicalDpiY();
    const double scale = layout.printScale(device.width(), device.height(), dpiX, dpiY);
    layout.printing = true;
    layout.printer = &device;
    layout.bodyFontHeight = 14 * scale;
    layout.build();

    QPainter painter(&device);
    if (!painter.isActive()) {
        layout.printing = false;
        layout.printer = nullptr;
        return false;
    }
    PaintAssemblyTree(painter, layout, QPoint(0, 0), dpiY / 20.0);

    QFont footer(QStringLiteral("San Serif"));
    footer.setPixelSize(std::max(1, dpiX * 11 / 72));
    footer.setBold(true);
    painter.setFont(footer);
    painter.setPen(Qt::black);
    const QRect rect(dpiX / 2, device.height() - dpiY, device.width() - dpiX, painter.fontMetrics().height());
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignVCenter, PrintTimestamp());
    painter.drawText(rect, Qt::AlignRight | Qt::AlignVCenter, Translate(QStringLiteral("Assembly Tree")));
    painter.end();

    layout.printing = false;
    layout.printer = nullptr;
    layout.bodyFontHeight = 14;
    return !layout.nodes.empty();
}
