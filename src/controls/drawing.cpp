#include "controls/drawing.h"

#include "controls/artwork.h"
#include "core/appstate.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImageReader>
#include <QBuffer>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

QBrush ControlColour(int kind, QPainter& painter)
{
    painter.setPen(QColor(255, 255, 255));
    if (kind == kControlEdit || kind == kControlList) {
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(DarkFieldColour());
        return QBrush(DarkFieldColour());
    }
    painter.setBackgroundMode(Qt::TransparentMode);
    return QBrush(Qt::NoBrush);
}

void DrawCaptionedPanel(QPainter& painter, const QString& caption, int left, int top, int right, int bottom,
                        int cornerWidth, int cornerHeight)
{
    const QRectF r(left, top, right - left, bottom - top);
    const double cw = cornerWidth;
    const double ch = cornerHeight;
    QPainterPath path;
    path.arcMoveTo(r.left(), r.top(), cw, ch, 180);
    path.arcTo(r.left(), r.top(), cw, ch, 180, -90);
    path.lineTo(r.right() - cw / 2, r.top());
    path.arcTo(r.right() - cw, r.top(), cw, ch, 90, -90);
    path.lineTo(r.right(), r.bottom() - ch / 2);
    path.arcTo(r.right() - cw, r.bottom() - ch, cw, ch, 0, -90);
    path.lineTo(r.left() + cw / 2, r.bottom());
    path.arcTo(r.left(), r.bottom() - ch, cw, ch, 270, -90);
    path.closeSubpath();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    QLinearGradient gradient(r.topLeft(), r.topRight());
    gradient.setColorAt(0, QColor(128, 128, 128));
    gradient.setColorAt(1, QColor(64, 64, 64));
    painter.setBrush(gradient);
    painter.setPen(QPen(QColor(0, 0, 0), 1));
    painter.drawPath(path);

    if (!caption.isEmpty()) {
        QFont font(QStringLiteral("Arial"));
        font.setPointSize(10);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255));
        // A little room from the rounded corner keeps the caption off the outline.
        const QRectF textRect = r.adjusted(std::max(cw / 2, 6.0), 0, 0, 0);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip | Qt::TextSingleLine,
                         caption);
    }
    painter.restore();
}

void FillDialogBackground(QPainter& painter, const QRect& clientRect, int variant)
{
    QLinearGradient gradient(clientRect.topLeft(), clientRect.bottomRight());
    if (variant == kBackgroundDark) {
        gradient.setColorAt(0, QColor(128, 128, 128));
        gradient.setColorAt(1, QColor(48, 48, 48));
    } else {
        gradient.setColorAt(0, QColor(192, 192, 192));
        gradient.setColorAt(1, QColor(96, 96, 96));
    }
    painter.fillRect(clientRect, gradient);
}

QString PictureFilePath(const QString& fileName)
{
    if (fileName.contains(QLatin1Char('\\')) || fileName.contains(QLatin1Char('/')))
        return QString(fileName).replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString folder = App().PictureFolder;
    // No dialog sets PictureFolder, so it is usually empty: attached pictures
    // are copied into the data folder's Picture folder, so look there.
    if (folder.isEmpty())
        folder = DataPictureFolder();
    folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder + fileName;
}

QImage LoadPictureFile(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QImage();
    QByteArray bytes = file.readAll();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    return reader.read();
}

bool DrawPictureFile(const QString& fileName, QPainter& painter, const QRect& rect)
{
    const QImage image = LoadPictureFile(PictureFilePath(fileName));
    if (image.isNull())
        return false;
    const int side = std::min(rect.width(), rect.height());
    const QRect square(rect.left() + (rect.width() - side) / 2, rect.top() + (rect.height() - side) / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(square, image);
    painter.restore();
    return true;
}

QImage WithTransparentRange(const QImage& image, const QColor& low, const QColor& high)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const QRgb p = line[x];
            if (qRed(p) >= low.red() && qRed(p) <= high.red() && qGreen(p) >= low.green() &&
                qGreen(p) <= high.green() && qBlue(p) >= low.blue() && qBlue(p) <= high.blue())
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    return result;
}

QRect CellPainter::rect(const QPainter& painter) const
{
    QRect bounds;
    if (painter.hasClipping())
        bounds = painter.clipBoundingRect().toAlignedRect();
    else if (painter.device())
        bounds = QRect(0, 0, painter.device()->width(), painter.device()->height());
    return QRect(x, y, width < 0 ? bounds.width() : width, height < 0 ? bounds.height() : height);
}

void CellPainter::draw(QPainter& painter) const
{
    const QRect r = rect(painter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (picture) {
        if (!pictureFile.isEmpty()) {
            const QImage image = LoadPictureFile(DataPictureFolder() + QLatin1Char('/') + pictureFile);
            if (!image.isNull())
                painter.drawImage(r, WithTransparentRange(image, QColor(224, 224, 224), QColor(224, 224, 224)));
        } else {
            painter.drawImage(r, WithTransparentRange(Artwork(kArtPicturePlaceholder), QColor(192, 0, 192),
                                                      QColor(255, 0, 255)));
        }
        painter.restore();
        return;
    }
    if (fill) {
        if (gradient) {
            QLinearGradient g(r.topLeft(), r.bottomRight());
            g.setColorAt(0, fillColour);
            g.setColorAt(1, QColor(0, 0, 0));
            painter.fillRect(r, g);
        } else {
            painter.fillRect(r, fillColour);
        }
    }
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(fontSize);
    font.setBold(fontStyle & 1);
    font.setItalic(fontStyle & 2);
    font.setUnderline(fontStyle & 4);
    font.setStrikeOut(fontStyle & 8);
    painter.setFont(font);
    painter.setPen(textColour);
    const Qt::Alignment horizontal = alignment == 1 ? Qt::AlignHCenter : alignment == 2 ? Qt::AlignRight : Qt::AlignLeft;
    const QString shown = QFontMetrics(font, painter.device()).elidedText(text, Qt::ElideRight, r.width());
    painter.drawText(r, horizontal | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter.restore();
}
