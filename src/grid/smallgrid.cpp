#include "grid/smallgrid.h"

#include "controls/select.h"
#include "core/dictionary.h"
#include "grid/celllink.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMouseEvent>

namespace {
constexpr int kHotZone = 32;
}

CSmallGrid::CSmallGrid(QWidget* parent) : QTableWidget(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    ApplyDarkGridPalette(this, QColor(32, 32, 32));
    setStyleSheet(QStringLiteral("QTableView { gridline-color: rgb(128,128,128); }"
                                 "QHeaderView::section { background: rgb(64,64,64); color: white; "
                                 "border: 1px solid rgb(128,128,128); }"));
    connect(&m_editor, &CCellEditor::tabPressed, this, [this]() {
        const int row = m_row, column = m_column;
        Commit();
        if (column + 1 < columnCount())
            moveAndEdit(row, column + 1);
    });
    connect(&m_editor, &CCellEditor::enterPressed, this, [this]() {
        const int row = m_row, column = m_column;
        Commit();
        if (row + 1 < rowCount())
            moveAndEdit(row + 1, column);
    });
    // One selected row at a time here: Ctrl+Enter stores like Enter.
    connect(&m_editor, &CCellEditor::enterToAllPressed, this, [this]() { Commit(); });
    connect(&m_editor, &CCellEditor::escapePressed, this, [this]() { m_editor.close(); });
    connect(&m_editor, &CCellEditor::itemChosen, this, [this]() { Commit(); });
}

void CSmallGrid::Fill()
{
    Commit();
    clear();
    setRowCount(0);
    setColumnCount(m_record.columnCount);
    for (int c = 0; c < m_record.columnCount; ++c) {
        const QString heading = m_record.headings.value(c);
        setHorizontalHeaderItem(c, new QTableWidgetItem(heading));
        int width = c < static_cast<int>(m_record.widths.size()) ? m_record.widths[c] : 0;
        width = std::max(width, 10 * static_cast<int>(heading.size()));
        setColumnWidth(c, width);
    }
    setRowCount(m_record.rowCount);
    for (int r = 0; r < m_record.rowCount; ++r)
        for (int c = 0; c < m_record.columnCount; ++c) {
            auto* item = new QTableWidgetItem(m_record.cell(r, c));
            item->setTextAlignment(Qt::AlignCenter);
            if (m_record.attribute(c).toUpper().contains(QLatin1String("READ")))
                item->setForeground(QColor(176, 176, 176));
            setItem(r, c, item);
        }
    if (m_record.editable) {
        recomputeAmounts();
        resizeColumnsToContents();
    }
}

void CSmallGrid::recomputeAmounts()
{
    m_total = m_record.recomputeAmounts();
    if (m_record.columnCount > kSmallAmountColumn)
        for (int r = 0; r < m_record.rowCount && r < rowCount(); ++r)
            if (QTableWidgetItem* cell = item(r, kSmallAmountColumn))
                cell->setText(m_record.cell(r, kSmallAmountColumn));
    Q_EMIT command(kCmdSmallGridTotal);
}

void CSmallGrid::Commit()
{
    if (!m_editor.isOpen())
        return;
    const QString text = m_editor.text();
    m_editor.close();
    m_record.setCell(m_row, m_column, text);
    if (QTableWidgetItem* cell = item(m_row, m_column))
        cell->setText(text);
    if (m_record.editable)
        recomputeAmounts();
    viewport()->update();
}

void CSmallGrid::InsertRow(int position)
{
    Commit();
    m_record.insertRow(position);
    Fill();
}

void CSmallGrid::DeleteSelectedRows()
{
    Commit();
    const QList<int> rows = selectedRowNumbers();
    if (rows.isEmpty())
        return;
    m_record.removeRows(std::vector<int>(rows.begin(), rows.end()));
    Fill();
}

QList<int> CSmallGrid::selectedRowNumbers() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CSmallGrid::isHot(int column, const QPoint& point, int row) const
{
    if (m_record.actionCode(column) == 0)
        return false;
    const QRect rect = visualRect(model()->index(row, column));
    return point.x() >= rect.right() - kHotZone;
}

void CSmallGrid::runAction(int row, int column)
{
    const int code = m_record.actionCode(column);
    const QString text = m_record.cell(row, column);
    if (code >= 1 && code <= 9) {
        OpenCellLink(text);
    } else if (code >= 10 && code <= 13 && !text.isEmpty()) {
        Q_EMIT mainWindowCommand(1106 + code - 10);
    }
}

void CSmallGrid::OpenEditor(int row, int column)
{
    if (row < 0 || row >= m_record.rowCount || column < 0 || column >= m_record.columnCount)
        return;
    m_row = row;
    m_column = column;
    const QString attribute = m_record.attribute(column);
    if (attribute.toUpper().contains(QLatin1String("READ")))
        return;
    const EditorKind kind = EditorKindOf(attribute);
    if (kind != EditorKind::Edit && kind != EditorKind::List && kind != EditorKind::Drop)
        return;
    const QString text = m_record.cell(row, column);
    QStringList items;
    int preselect = -1;
    QStringList pieces = attribute.split(QLatin1Char('/'));
    pieces.removeFirst();
    if (kind == EditorKind::Drop) {
        for (const QString& piece : pieces)
            items << Translate(piece);
        // Order lines keep the chosen text (a status such as "Received"),
        // other owners the item's number.
        preselect = -1;
        for (int i = 0; i < pieces.size() && preselect < 0; ++i)
            if (text.compare(pieces[i], Qt::CaseInsensitive) == 0 || text.compare(items[i], Qt::CaseInsensitive) == 0)
                preselect = i;
        if (preselect < 0)
            preselect = std::clamp(text.toInt(), 0, std::max(0, static_cast<int>(items.size()) - 1));
    } else if (kind == EditorKind::List) {
        items = pieces;
        for (int r = 0; r < m_record.rowCount; ++r) {
            const QString value = m_record.cell(r, column);
            if (value.isEmpty())
                continue;
            bool covered = false;
            for (const QString& item : std::as_const(items))
                covered = covered || item.startsWith(value, Qt::CaseInsensitive);
            if (!covered)
                items << value;
        }
        std::sort(items.begin(), items.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    }
    scrollTo(model()->index(row, column));
    QRect rect = visualRect(model()->index(row, column));
    rect.setWidth(rect.width() - 2 - (m_record.actionCode(column) ? 34 : 0));
    m_editor.open(viewport(), rect, kind, text, items, preselect);
}

void CSmallGrid::moveAndEdit(int row, int column)
{
    setCurrentCell(row, column);
    OpenEditor(row, column);
}

void CSmallGrid::mousePressEvent(QMouseEvent* event)
{
    m_previousRow = m_row;
    m_previousColumn = m_column;
    Commit();
    const QModelIndex index = indexAt(event->position().toPoint());
    QTableWidget::mousePressEvent(event);
    if (!index.isValid() || event->button() != Qt::LeftButton)
        return;
    m_row = index.row();
    m_column = index.column();
    if (isHot(index.column(), event->position().toPoint(), index.row())) {
        runAction(index.row(), index.column());
        return;
    }
    OpenEditor(index.row(), index.column());
}

void CSmallGrid::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
        DeleteSelectedRows();
        return;
    case Qt::Key_Insert:
        return;
    default:
        QTableWidget::keyPressEvent(event);
    }
}

void CSmallGrid::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_record.editable || m_record.columnCount < 1)
        return;
    Commit();
    const QModelIndex index = indexAt(event->pos());
    const int row = index.isValid() ? index.row() : m_record.rowCount;
    const QStringList items = {Translate(QStringLiteral("Insert Up")), Translate(QStringLiteral("Insert Below")),
                               Translate(QStringLiteral("Delete Record"))};
    QWidget* reference = window();
    RunRowCommand(CSelect::Run(items, viewport()->mapTo(reference, event->pos()), reference), row);
}

void CSmallGrid::RunRowCommand(int choice, int row)
{
    switch (choice) {
    case kRowInsertUp:
        InsertRow(row);
        break;
    case kRowInsertBelow:
        InsertRow(row + 1);
        break;
    case kRowDelete:
        DeleteSelectedRows();
        break;
    default:
        break;
    }
}

void CSmallGrid::scrollContentsBy(int dx, int dy)
{
    Commit();
    QTableWidget::scrollContentsBy(dx, dy);
}
