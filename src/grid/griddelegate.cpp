#include "grid/griddelegate.h"

#include "core/appstate.h"

#include <QFileInfo>
#include <QUrl>
#include <QImageReader>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

CGridTableModel::CGridTableModel(CGridModel& grid, QObject* parent) : QAbstractTableModel(parent), m_grid(grid)
{
    connect(&m_grid, &CGridModel::cellChanged, this, [this](int row, int column) {
        const QModelIndex cell = index(row, column);
        Q_EMIT dataChanged(cell, cell);
    });
}

int CGridTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int CGridTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_grid.listColumnCount();
}

QVariant CGridTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_grid.displayText(index.row(), index.column());
    if (role == Qt::ToolTipRole) {
        // The error column names the row's faults in words; a picture shows itself.
        const int column = index.column();
        if (m_grid.isErrColumn(column)) {
            const unsigned word = m_grid.errorWord(index.row());
            return word == 0 ? QVariant() : QVariant(CErrorCheck::SummaryText(word).trimmed());
        }
        const QString text = m_grid.cellText(index.row(), column);
        if (m_grid.tableHeading(column).contains(QLatin1String("Pict")) && text.size() > 4) {
            const QString file = DataPictureFolder() + QLatin1Char('/') + text;
            if (QFileInfo(file).isFile())
                return QStringLiteral("<img src=\"%1\" width=\"240\"><br>%2")
                    .arg(QUrl::fromLocalFile(file).toString().toHtmlEscaped(), text.toHtmlEscaped());
        }
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return QVariant();
}

QVariant CGridTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_grid.listHeading(section);
    return QVariant();
}

void CGridTableModel::reset()
{
    beginResetModel();
    m_rows = m_grid.rowCount();
    endResetModel();
}

void CGridTableModel::resetRows()
{
    if (m_rows > 0) {
        beginRemoveRows(QModelIndex(), 0, m_rows - 1);
        m_rows = 0;
        endRemoveRows();
    }
    if (m_grid.rowCount() > 0) {
        beginInsertRows(QModelIndex(), 0, m_grid.rowCount() - 1);
        m_rows = m_grid.rowCount();
        endInsertRows();
    }
}

int ActionImage(int code, unsigned errorWord)
{
    if (code >= 1 && code <= 9)
        return code - 1;
    if (code == 16 || code == 18)
        return 6;
    if (code == 99)
        return errorWord != 0 ? 4 : 3;
    if (code >= 10 && code <= 98)
        return 2;
    return -1;
}

QPixmap ActionIcon(int image)
{
    static QHash<int, QPixmap> icons;
    const auto it = icons.constFind(image);
    if (it != icons.constEnd())
        return *it;
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(5, 5, 22, 22);
    switch (image) {
    case 3: // no error: a green check
        p.setBrush(QColor(0, 150, 60));
        p.setPen(Qt::NoPen);
        p.drawEllipse(disc);
        p.setPen(QPen(Qt::white, 3));
        p.drawPolyline(QPolygonF({QPointF(10, 16), QPointF(14, 21), QPointF(22, 11)}));
        break;
    case 4: // errors: a red mark
        p.setBrush(QColor(200, 30, 30));
        p.setPen(Qt::NoPen);
        p.drawEllipse(disc);
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(QPointF(16, 9), QPointF(16, 18));
        p.drawPoint(QPointF(16, 23));
        break;
    case 2: // go to another table: an arrow
        p.setBrush(QColor(0, 140, 160));
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(disc, 5, 5);
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(QPointF(10, 16), QPointF(21, 16));
        p.drawPolyline(QPolygonF({QPointF(16, 11), QPointF(21, 16), QPointF(16, 21)}));
        break;
    case 6: { // look up: a magnifier
        p.setPen(QPen(QColor(230, 200, 60), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(7, 7, 13, 13));
        p.drawLine(QPointF(18, 18), QPointF(25, 25));
        break;
    }
    default: { // links and documents: a page with a folded corner
        QPainterPath page;
        page.moveTo(9, 5);
        page.lineTo(19, 5);
        page.lineTo(24, 10);
        page.lineTo(24, 27);
        page.lineTo(9, 27);
        page.closeSubpath();
        p.setBrush(image == 0 ? QColor(90, 160, 230) : QColor(220, 220, 220));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.drawPath(page);
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        for (int y = 13; y <= 23; y += 4)
            p.drawLine(QPointF(12, y), QPointF(21, y));
        break;
    }
    }
    p.end();
    icons.insert(image, icon);
    return icon;
}

namespace {

// The cell the arrows move and typing edits: framed, so that it is seen
// inside a selected row too.
void drawCurrentFrame(QPainter* painter, const QRect& cell)
{
    painter->setPen(QPen(QColor(255, 200, 0), 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(cell.adjusted(1, 1, -1, -1));
}

} // namespace

CGridDelegate::CGridDelegate(const CGridModel& grid, QObject* parent) : QStyledItemDelegate(parent), m_grid(grid) {}

QPixmap CGridDelegate::picture(const QString& name) const
{
    const auto it = m_pictures.constFind(name);
    if (it != m_pictures.constEnd())
        return *it;
    QImageReader reader(DataPictureFolder() + QLatin1Char('/') + name);
    reader.setAutoTransform(true);
    // Kept small: the grid shows pictures at row height.
    if (reader.size().isValid() && reader.size().height() > 128)
        reader.setScaledSize(reader.size().scaled(QSize(256, 128), Qt::KeepAspectRatio));
    const QPixmap pixmap = QPixmap::fromImage(reader.read());
    m_pictures.insert(name, pixmap);
    return pixmap;
}

QSize CGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), 18));
    return size;
}

void CGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const int row = index.row();
    const int column = index.column();
    const QRect cell = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const bool current = m_selection && m_selection->currentIndex() == index;
    const int code = m_grid.actionCode(column);
    painter->save();

    auto gradient = [&](const QColor& from, const QColor& to) {
        QLinearGradient fill(cell.topLeft(), cell.bottomLeft());
        fill.setColorAt(0, from);
        fill.setColorAt(1, to);
        return QBrush(fill);
    };
    if (selected)
        painter->fillRect(cell, gradient(QColor(0, 128, 128), QColor(0, 32, 32)));
    else if (code == 99)
        painter->fillRect(cell, gradient(QColor(64, 64, 64), QColor(128, 128, 128)));
    else
        painter->fillRect(cell, row % 2 == 0 ? QColor(18, 18, 18) : QColor(48, 48, 48));
    painter->setPen(QColor(192, 192, 192));
    painter->drawRect(cell.adjusted(0, 0, -1, -1));

    const QString text = m_grid.displayText(row, column);
    QRect textArea = cell;
    const int image = (code != 0 && (!text.isEmpty() || code == 18 || code == 99))
                          ? ActionImage(code, m_grid.errorWord(row))
                          : -1;
    if (image >= 0) {
        const QRect zone(cell.right() - kHotZoneWidth + 1, cell.top() + (cell.height() - 32) / 2, 32, 32);
        painter->drawPixmap(zone.topLeft(), ActionIcon(image).scaled(std::min(32, cell.height()),
                                                                      std::min(32, cell.height()),
                                                                      Qt::KeepAspectRatio, Qt::SmoothTransformation));
        textArea.setRight(cell.right() - 34);
    }
    if (code == 99)
        textArea.setWidth(cell.width() / 2);

    const QString heading = m_grid.tableHeading(column);
    if (heading.contains(QLatin1String("Pict")) && text.size() > 4) {
        const QPixmap pixmap = picture(text);
        if (!pixmap.isNull()) {
            const QRect inner = textArea.adjusted(1, 1, -1, -1);
            QSize size = pixmap.size().scaled(inner.size(), Qt::KeepAspectRatio);
            int left = inner.left();
            if (inner.width() > inner.height())
                left += (inner.width() - size.width()) / 2;
            painter->drawPixmap(QRect(QPoint(left, inner.top() + (inner.height() - size.height()) / 2), size), pixmap);
            if (current)
                drawCurrentFrame(painter, cell);
            painter->restore();
            return;
        }
    }

    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    font.setBold(true);
    painter->setFont(font);
    if (m_grid.isReadOnly(column))
        painter->setPen(QColor(128, 128, 128));
    else
        painter->setPen(selected ? QColor(Qt::cyan) : QColor(Qt::white));
    painter->drawText(textArea.adjusted(2, 0, -2, 0), Qt::AlignCenter,
                      painter->fontMetrics().elidedText(text, Qt::ElideRight, textArea.width() - 4));
    if (current)
        drawCurrentFrame(painter, cell);
    painter->restore();
}
