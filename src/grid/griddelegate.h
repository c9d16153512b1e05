#pragma once
// How the table grid shows its rows: the table model over CGridModel and
// the painter of each cell (backgrounds, pictures, action icons).
#include "grid/gridmodel.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QStyledItemDelegate>

class CGridTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit CGridTableModel(CGridModel& grid, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // New columns and rows (a load).
    void reset();
    // Other rows under the same columns (sort, filter): the columns keep
    // their widths and order.
    void resetRows();

private:
    CGridModel& m_grid;
    // The rows the views were told of; the grid's count may run ahead of it
    // while they are being told.
    int m_rows = 0;
};

// The icons of the hot zone, 32 x 32, by image number.
QPixmap ActionIcon(int image);
// The image of an action code for a row with the given error word; -1 for none.
int ActionImage(int code, unsigned errorWord);

constexpr int kHotZoneWidth = 32;

class CGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CGridDelegate(const CGridModel& grid, QObject* parent = nullptr);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // Where the current cell is read from, to frame it in every view.
    void setSelection(const QItemSelectionModel* selection) { m_selection = selection; }

private:
    QPixmap picture(const QString& name) const;

    const CGridModel& m_grid;
    const QItemSelectionModel* m_selection = nullptr;
    mutable QHash<QString, QPixmap> m_pictures;
};
