#include "grid/gridview.h"

#include "controls/printjob.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/windowhooks.h"
#include "db/billrows.h"
#include "db/serveraccess.h"
#include "grid/celllink.h"
#include "grid/frozencolumns.h"
#include "grid/gridheader.h"
#include "grid/griddelegate.h"
#include "grid/gridprint.h"
#include "grid/headerselect.h"
#include "grid/partsearch.h"
#include "grid/stockcheck.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>

namespace {

// Compact rows: thirty and more on a screen of 1000 pixels.
constexpr int kRowHeight = 20;
constexpr int kFilterBarHeight = 26;
// The frozen columns never take more than this share of the width.
constexpr double kFrozenShare = 0.45;
// Columns up to the part number are frozen when it is among the first ones.
constexpr int kFrozenSearch = 4;

// Runs a window of another subsystem; says which one when it is not there.
bool runWindow(const QString& name, QWidget* parent, const QStringList& args)
{
    if (HasWindowAction(name))
        return RunWindowAction(name, parent, args);
    ShowMessage(TranslateLabel(QStringLiteral("This window is not available:")) + QLatin1Char(' ') + name);
    return false;
}

} // namespace

CGridView::CGridView(QWidget* parent) : QTableView(parent)
{
    auto* header = new CGridHeader(this);
    header->setBand(kFilterBarHeight);
    setHorizontalHeader(header);
    m_tableModel = new CGridTableModel(m_grid, this);
    setModel(m_tableModel);
    auto* delegate = new CGridDelegate(m_grid, this);
    delegate->setSelection(selectionModel());
    setItemDelegate(delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Cells, as in a spreadsheet: Delete clears them, Ctrl+C copies them.
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setShowGrid(false);
    setMouseTracking(true);
    setWordWrap(false);
    setFrameStyle(QFrame::NoFrame);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    ApplyDarkGridPalette(this, QColor(64, 64, 64));
    setStyleSheet(QStringLiteral("QTableView { background: rgb(64,64,64); }"
                                 "QHeaderView { background: rgb(48,48,48); }"
                                 "QHeaderView::section { background: rgb(48,48,48); color: white; "
                                 "border: 1px solid rgb(128,128,128); padding: 2px; }"
                                 "QLineEdit#gridFilter { background: rgb(24,24,24); color: white; "
                                 "border: 1px solid rgb(128,128,128); padding: 1px 4px; }"
                                 "QLabel { color: rgb(210,210,210); }"));

    // The filter bar, with the row count and the status line, lies over the
    // band the heading row keeps free above the headings.
    m_filterBar = new QWidget(this);
    m_filterBar->setObjectName(QStringLiteral("gridFilterBar"));
    m_filterBar->setAutoFillBackground(true);
    QPalette barPalette = m_filterBar->palette();
    barPalette.setColor(QPalette::Window, QColor(40, 40, 40));
    m_filterBar->setPalette(barPalette);
    auto* bar = new QHBoxLayout(m_filterBar);
    bar->setContentsMargins(2, 2, 6, 2);
    m_filterBox = new QLineEdit(m_filterBar);
    m_filterBox->setObjectName(QStringLiteral("gridFilter"));
    m_filterBox->setClearButtonEnabled(true);
    m_filterBox->setMaximumWidth(360);
    m_filterBox->installEventFilter(this);
    m_filterCount = new QLabel(m_filterBar);
    m_status = new QLabel(m_filterBar);
    m_status->setObjectName(QStringLiteral("gridStatus"));
    m_status->setMinimumWidth(0);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bar->addWidget(m_filterBox, 2);
    bar->addWidget(m_filterCount);
    bar->addSpacing(12);
    bar->addWidget(m_status, 5);
    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(200);
    connect(m_filterDelay, &QTimer::timeout, this, [this]() { ApplyFilter(m_filterBox->text()); });
    connect(m_filterBox, &QLineEdit::textEdited, m_filterDelay, qOverload<>(&QTimer::start));
    // The clear button changes the text without an edit.
    connect(m_filterBox, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            ApplyFilter(text);
    });
    auto* find = new QShortcut(QKeySequence::Find, this, nullptr, nullptr, Qt::WindowShortcut);
    connect(find, &QShortcut::activated, this, [this]() {
        Commit();
        m_filterBox->setFocus(Qt::ShortcutFocusReason);
        m_filterBox->selectAll();
    });

    m_frozen = new CFrozenColumns(this);
    m_filterBar->raise();
    m_editor.setFocusTarget(this);

    m_grid.beforeLoad = [this]() { captureLayout(); };
    connect(&m_grid, &CGridModel::loaded, this, &CGridView::afterLoad);
    connect(&m_grid, &CGridModel::rowsChanged, this, &CGridView::afterRowsChanged);
    connect(&m_grid, &CGridModel::parentCommand, this, &CGridView::parentCommand);
    connect(&m_grid, &CGridModel::status, this, [this](const QString& text) {
        m_status->setText(text);
        m_status->setToolTip(text);
    });
    connect(&m_grid, &CGridModel::filterChanged, this, [this](const QString& text) {
        m_filterDelay->stop();
        if (m_filterBox->text() != text)
            m_filterBox->setText(text);
        showFilterCount();
    });
    auto sortBy = [this](int listColumn) {
        Commit();
        m_grid.SortByListColumn(listColumn);
    };
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, sortBy);
    connect(m_frozen->horizontalHeader(), &QHeaderView::sectionClicked, this, sortBy);
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, [this]() {
        // The first list column stays first, as the next load would put it.
        if (!m_keepingFirst && horizontalHeader()->visualIndex(0) != 0 && horizontalHeader()->count() > 0) {
            m_keepingFirst = true;
            horizontalHeader()->moveSection(horizontalHeader()->visualIndex(0), 0);
            m_keepingFirst = false;
        }
        freezeLeadingColumns();
        viewport()->update();
    });
    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this]() {
        if (!m_frozen->columns().empty())
            freezeLeadingColumns();
    });
    connect(m_frozen->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        // Hiding the columns it does not freeze resizes them too: not a user's width.
        if (m_frozen->isFrozen(column) && !m_frozen->isColumnHidden(column) && size > 0
            && horizontalHeader()->sectionSize(column) != size)
            horizontalHeader()->resizeSection(column, size);
    });
    connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this, [this]() { chooseColumns(); });
    connect(m_frozen->horizontalHeader(), &QHeaderView::customContextMenuRequested, this, [this]() { chooseColumns(); });
    connect(m_frozen, &CFrozenColumns::aboutToPress, this, [this]() { Commit(); });
    connect(m_frozen, &CFrozenColumns::cellPressed, this,
            [this](const QModelIndex& index, const QPoint& point, Qt::MouseButton button, Qt::KeyboardModifiers) {
                setFocus(Qt::MouseFocusReason);
                const bool hot = index.isValid() && m_grid.actionCode(index.column()) != 0
                                 && point.x() > m_frozen->visualRect(index).right() - kHotZoneWidth;
                cellPressed(index, hot, button);
            });
    connect(m_frozen, &CFrozenColumns::cellDoubleClicked, this, [this](const QModelIndex& index, const QPoint& point) {
        if (index.isValid() && !(m_grid.actionCode(index.column()) != 0
                                 && point.x() > m_frozen->visualRect(index).right() - kHotZoneWidth))
            OpenEditor(index.row(), index.column());
    });
    connect(m_frozen, &CFrozenColumns::cellHovered, this, [this](const QPoint& point) {
        const QModelIndex index = m_frozen->indexAt(point);
        const bool hot = index.isValid() && m_grid.actionCode(index.column()) != 0
                         && point.x() > m_frozen->visualRect(index).right() - kHotZoneWidth;
        m_frozen->viewport()->setCursor(hot ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });

    connect(&m_editor, &CCellEditor::tabPressed, this, [this]() {
        const int row = m_editRow, column = m_editColumn;
        Commit();
        const int visual = horizontalHeader()->visualIndex(column);
        if (visual + 1 < horizontalHeader()->count())
            moveAndEdit(row, horizontalHeader()->logicalIndex(visual + 1));
    });
    auto storeAndMove = [this](int rows) {
        const int row = m_editRow, column = m_editColumn;
        Commit();
        moveTo(std::clamp(row + rows, 0, std::max(0, m_grid.rowCount() - 1)), column);
    };
    connect(&m_editor, &CCellEditor::enterPressed, this, [storeAndMove]() { storeAndMove(1); });
    connect(&m_editor, &CCellEditor::enterToAllPressed, this, [this]() { Commit(true); });
    connect(&m_editor, &CCellEditor::downPressed, this, [storeAndMove]() { storeAndMove(1); });
    connect(&m_editor, &CCellEditor::upPressed, this, [storeAndMove]() { storeAndMove(-1); });
    connect(&m_editor, &CCellEditor::escapePressed, this, [this]() { m_editor.close(); });
    connect(&m_editor, &CCellEditor::itemChosen, this, [this]() { Commit(); });
}

CGridView::~CGridView()
{
    m_grid.beforeLoad = nullptr;
    m_editor.close();
    // The views ask the grid for headings while they are hidden: before the
    // grid goes, not after.
    hide();
    m_frozen->setModel(nullptr);
    setModel(nullptr);
}

void CGridView::Load(int table)
{
    m_grid.Load(table);
}

void CGridView::captureLayout()
{
    Commit();
    SaveColumnLayout();
}

void CGridView::SaveColumnLayout()
{
    QHeaderView* header = horizontalHeader();
    if (header->count() != m_grid.listColumnCount())
        return;
    std::vector<int> widths, order;
    for (int lc = 0; lc < header->count(); ++lc) {
        const int automatic = lc < static_cast<int>(m_automaticWidths.size()) ? m_automaticWidths[lc] : 0;
        widths.push_back(automatic > 0 && header->sectionSize(lc) == automatic ? -1 : header->sectionSize(lc));
    }
    for (int visual = 0; visual < header->count(); ++visual)
        order.push_back(header->logicalIndex(visual));
    m_grid.SaveLayout(widths, order);
}

int CGridView::automaticWidth(int listColumn, int minimum) const
{
    constexpr int kRowsMeasured = 200;
    constexpr int kWidest = 320;
    constexpr int kPadding = 16;
    constexpr int kHotZone = 34;
    // The cells' own font (see the delegate); headings are no wider in it.
    QFont cellFont(QStringLiteral("Arial"));
    cellFont.setPointSize(8);
    cellFont.setBold(true);
    const QFontMetrics metrics(cellFont);
    int width = metrics.horizontalAdvance(m_grid.listHeading(listColumn));
    for (int r = 0; r < m_grid.rowCount() && r < kRowsMeasured; ++r)
        width = std::max(width, metrics.horizontalAdvance(m_grid.cellText(r, listColumn)));
    width += kPadding + (m_grid.actionCode(listColumn) != 0 ? kHotZone : 0);
    return std::clamp(width, minimum, std::max(minimum, kWidest));
}

void CGridView::afterLoad()
{
    m_editor.close();
    setUpdatesEnabled(false);
    m_tableModel->reset();
    QHeaderView* header = horizontalHeader();
    // Moves of the previous table do not carry over: start from list order.
    header->blockSignals(true);
    for (int lc = 0; lc < header->count(); ++lc)
        header->moveSection(header->visualIndex(lc), lc);
    const auto& widths = m_grid.listWidths();
    m_automaticWidths.assign(static_cast<size_t>(header->count()), 0);
    for (int lc = 0; lc < header->count() && lc < static_cast<int>(widths.size()); ++lc) {
        if (m_grid.automaticWidth(lc))
            m_automaticWidths[static_cast<size_t>(lc)] = automaticWidth(lc, widths[lc]);
        header->resizeSection(lc, m_grid.automaticWidth(lc) ? m_automaticWidths[static_cast<size_t>(lc)] : widths[lc]);
    }
    const auto& order = m_grid.displayOrder();
    for (int visual = 0; visual < static_cast<int>(order.size()) && visual < header->count(); ++visual)
        header->moveSection(header->visualIndex(order[visual]), visual);
    header->blockSignals(false);
    showSortIndicator();
    freezeLeadingColumns();
    showFilterCount();
    // In the language chosen now: it may have changed since the last load.
    m_filterBox->setPlaceholderText(Translate(QStringLiteral("Filter")) + QStringLiteral(" (Ctrl+F)"));

    clearSelection();
    for (int row : m_grid.rowsToSelect())
        selectionModel()->select(m_tableModel->index(row, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (m_grid.rowToShow() >= 0) {
        const QModelIndex shown = m_tableModel->index(m_grid.rowToShow(), horizontalHeader()->logicalIndex(0));
        selectionModel()->setCurrentIndex(shown, QItemSelectionModel::NoUpdate);
        // The scroll range follows the new rows only once the geometry is
        // updated; without it a new last row would stay out of view.
        updateGeometries();
        scrollTo(shown);
    }
    setUpdatesEnabled(true);
}

void CGridView::afterRowsChanged()
{
    m_editor.close();
    const int column = std::max(0, currentListColumn());
    const long long current = m_currentId;
    m_tableModel->resetRows();
    showSortIndicator();
    showFilterCount();
    // The record the user was on stays current wherever the new order puts it.
    const int row = current >= 0 ? m_grid.rowOfId(current) : -1;
    if (row >= 0 && column < m_grid.listColumnCount()) {
        const QModelIndex index = m_tableModel->index(row, column);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        updateGeometries();
        scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
    viewport()->update();
    m_frozen->viewport()->update();
}

bool CGridView::RefreshFromStore()
{
    if (m_editor.isOpen() || m_grid.listColumnCount() == 0)
        return false;
    std::vector<std::pair<long long, int>> selected; // record and column of each selected cell
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        selected.emplace_back(m_grid.rowId(index.row()).toLongLong(), index.column());
    m_grid.RefreshRows();
    // The current record is kept by afterRowsChanged; the rest of the
    // selection follows its records, where they still exist.
    QItemSelection cells;
    for (const auto& [id, column] : selected) {
        const int row = m_grid.rowOfId(id);
        if (row >= 0 && column < m_grid.listColumnCount())
            cells.select(m_tableModel->index(row, column), m_tableModel->index(row, column));
    }
    if (!cells.isEmpty())
        selectionModel()->select(cells, QItemSelectionModel::Select);
    return true;
}

void CGridView::showSortIndicator()
{
    const int sorted = m_grid.sortListColumn();
    horizontalHeader()->setSortIndicator(sorted, m_grid.sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
    m_frozen->follow();
}

void CGridView::showFilterCount()
{
    const QLocale locale;
    const int shown = m_grid.filter().isEmpty() ? m_grid.rowCount() : m_grid.totalRowCount();
    const QString rows = Translate(shown == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
    if (m_grid.filter().isEmpty())
        m_filterCount->setText(locale.toString(m_grid.rowCount()) + QLatin1Char(' ') + rows);
    else
        m_filterCount->setText(locale.toString(m_grid.rowCount()) + QLatin1Char(' ') + Translate(QStringLiteral("of"))
                               + QLatin1Char(' ') + locale.toString(m_grid.totalRowCount()) + QLatin1Char(' ') + rows);
}

void CGridView::ApplyFilter(const QString& text)
{
    m_filterDelay->stop();
    Commit();
    if (m_filterBox->text() != text)
        m_filterBox->setText(text);
    m_grid.SetFilter(text);
}

QString CGridView::statusText() const
{
    return m_status->text();
}

void CGridView::freezeLeadingColumns()
{
    // The columns up to the part number when it is among the first few,
    // otherwise the first one that names the row; never most of the width.
    QHeaderView* header = horizontalHeader();
    std::vector<int> columns;
    int through = -1;
    for (int visual = 0; visual < header->count() && visual < kFrozenSearch; ++visual)
        if (m_grid.tableHeading(header->logicalIndex(visual)).contains(QLatin1String("Part #"))) {
            through = visual;
            break;
        }
    if (through < 0)
        for (int visual = 0; visual < header->count(); ++visual)
            if (!m_grid.isErrColumn(header->logicalIndex(visual))) {
                through = visual;
                break;
            }
    int width = 0;
    for (int visual = 0; visual <= through; ++visual) {
        const int column = header->logicalIndex(visual);
        width += header->sectionSize(column);
        columns.push_back(column);
    }
    while (!columns.empty() && width > viewport()->width() * kFrozenShare) {
        width -= header->sectionSize(columns.back());
        columns.pop_back();
    }
    if (columns != m_frozen->columns())
        m_frozen->setColumns(columns);
    else
        m_frozen->follow();
}

void CGridView::placeBands()
{
    m_filterBar->setGeometry(0, horizontalHeader()->y(), width(), kFilterBarHeight);
    m_filterBar->raise();
}

void CGridView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeBands();
    freezeLeadingColumns();
}

void CGridView::updateGeometries()
{
    QTableView::updateGeometries();
    if (m_frozen)
        m_frozen->follow();
    if (m_filterBar)
        placeBands();
}

void CGridView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    if (m_frozen && m_frozen->isFrozen(index.column())) {
        // Always in view sideways: only the rows scroll.
        const int sideways = horizontalScrollBar()->value();
        QTableView::scrollTo(index, hint);
        horizontalScrollBar()->setValue(sideways);
        return;
    }
    QTableView::scrollTo(index, hint);
    const int covered = m_frozen ? m_frozen->frozenWidth() : 0;
    const QRect rect = visualRect(index);
    if (covered > 0 && rect.left() < covered)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - (covered - rect.left()));
}

QList<int> CGridView::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

std::vector<int> CGridView::selectedColumns() const
{
    // In the order they are shown, as a spreadsheet copies them.
    std::vector<bool> chosen(static_cast<size_t>(m_grid.listColumnCount()), false);
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (index.column() >= 0 && index.column() < m_grid.listColumnCount())
            chosen[static_cast<size_t>(index.column())] = true;
    std::vector<int> columns;
    for (int visual = 0; visual < horizontalHeader()->count(); ++visual) {
        const int lc = horizontalHeader()->logicalIndex(visual);
        if (lc >= 0 && lc < static_cast<int>(chosen.size()) && chosen[static_cast<size_t>(lc)])
            columns.push_back(lc);
    }
    return columns;
}

void CGridView::CopyCells()
{
    Commit();
    QList<int> rows = SelectedRows();
    std::vector<int> columns = selectedColumns();
    if (rows.isEmpty() && currentIndex().isValid()) {
        rows = {currentIndex().row()};
        columns = {currentIndex().column()};
    }
    if (rows.isEmpty() || columns.empty())
        return;
    QGuiApplication::clipboard()->setText(m_grid.CopyBlock(rows, columns));
    const int cells = static_cast<int>(rows.size() * static_cast<qsizetype>(columns.size()));
    m_status->setText(TranslateLabel(QStringLiteral("Copied:")) + QLatin1Char(' ') + QString::number(cells) + QLatin1Char(' ')
                      + Translate(cells == 1 ? QStringLiteral("cell") : QStringLiteral("cells")));
}

void CGridView::PasteCells(const QString& text)
{
    if (DeskReadOnly())
        return;
    Commit();
    const QModelIndex current = currentIndex();
    if (!current.isValid() || text.isEmpty())
        return;
    QString block = text;
    if (block.endsWith(QLatin1Char('\n')))
        block.chop(1);
    block.remove(QLatin1Char('\r'));
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    // One value and several cells chosen: each of them takes it.
    if (!block.contains(QLatin1Char('\n')) && !block.contains(QLatin1Char('\t')) && selected.size() > 1) {
        std::vector<CellWrite> writes;
        for (const QModelIndex& index : selected)
            writes.push_back({index.row(), index.column(), block});
        std::sort(writes.begin(), writes.end(), [](const CellWrite& a, const CellWrite& b) {
            return a.row != b.row ? a.row < b.row : a.listColumn < b.listColumn;
        });
        m_grid.WriteCells(writes);
        refreshCells();
        return;
    }
    // The block's top left cell is the top left of the selection.
    int row = current.row();
    int visual = horizontalHeader()->visualIndex(current.column());
    for (const QModelIndex& index : selected) {
        row = std::min(row, index.row());
        visual = std::min(visual, horizontalHeader()->visualIndex(index.column()));
    }
    std::vector<int> columns;
    for (int v = visual; v < horizontalHeader()->count(); ++v)
        columns.push_back(horizontalHeader()->logicalIndex(v));
    m_grid.PasteBlock(row, columns, block);
    refreshCells();
}

void CGridView::FillDown()
{
    if (DeskReadOnly())
        return;
    Commit();
    const QList<int> rows = SelectedRows();
    if (rows.size() < 2)
        return;
    std::vector<CellWrite> writes;
    for (int lc : selectedColumns()) {
        int first = -1;
        for (int r : rows)
            if (selectionModel()->isSelected(m_tableModel->index(r, lc))) {
                if (first < 0)
                    first = r;
                else
                    writes.push_back({r, lc, m_grid.cellText(first, lc)});
            }
    }
    std::sort(writes.begin(), writes.end(), [](const CellWrite& a, const CellWrite& b) {
        return a.row != b.row ? a.row < b.row : a.listColumn < b.listColumn;
    });
    m_grid.WriteCells(writes);
    refreshCells();
}

void CGridView::ClearCells()
{
    if (DeskReadOnly())
        return;
    Commit();
    QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty() && currentIndex().isValid())
        selected = {currentIndex()};
    std::vector<CellWrite> writes;
    for (const QModelIndex& index : selected)
        if (!m_grid.isErrColumn(index.column()))
            writes.push_back({index.row(), index.column(), QString()});
    std::sort(writes.begin(), writes.end(), [](const CellWrite& a, const CellWrite& b) {
        return a.row != b.row ? a.row < b.row : a.listColumn < b.listColumn;
    });
    m_grid.WriteCells(writes, true);
    refreshCells();
}

void CGridView::refreshCells()
{
    if (m_grid.table() == AssyList && parentWidget())
        parentWidget()->update();
    viewport()->update();
    m_frozen->viewport()->update();
}

bool CGridView::IsHotCell(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid() || m_grid.actionCode(index.column()) == 0)
        return false;
    return point.x() > visualRect(index).right() - kHotZoneWidth;
}

void CGridView::Commit(bool toSelection)
{
    if (!m_editor.isOpen())
        return;
    const QString text = m_editor.text();
    m_editor.close();
    // Only Ctrl+Enter writes the text to every selected row; Enter, Tab and
    // a click elsewhere store the one cell, as a spreadsheet does.
    const QList<int> selected = toSelection ? SelectedRows() : QList<int>{};
    const bool several = selected.contains(m_editRow) && selected.size() > 1;
    m_grid.CommitEdit(m_editColumn, m_editRow, text, selected);
    if (several)
        clearSelection();
    if (m_grid.table() == AssyList && parentWidget())
        parentWidget()->update();
    viewport()->update();
    m_frozen->viewport()->update();
}

void CGridView::OpenEditor(int row, int listColumn)
{
    if (row < 0 || row >= m_grid.rowCount() || listColumn < 0 || listColumn >= m_grid.listColumnCount())
        return;
    Commit();
    m_editRow = row;
    m_editColumn = listColumn;
    const QModelIndex index = m_tableModel->index(row, listColumn);
    if (currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    const EditorKind kind = m_grid.editorKind(listColumn);
    if ((kind == EditorKind::Picture || kind == EditorKind::Document) && !DeskReadOnly()) {
        attach(row, listColumn, kind == EditorKind::Picture);
        return;
    }
    // A read-only desk shows its cells; it does not offer to change them.
    if (m_grid.isReadOnly(listColumn) || kind == EditorKind::None || DeskReadOnly())
        return;
    int preselect = -1;
    const QStringList items = m_grid.EditorItems(listColumn, row, &preselect);
    scrollTo(index);
    // A frozen column's editor lies over the frozen view, where the cell is seen.
    const bool frozen = m_frozen->isVisible() && m_frozen->isFrozen(listColumn);
    QRect rect = frozen ? m_frozen->visualRect(index) : visualRect(index);
    rect.setWidth(rect.width() - 2 - (m_grid.actionCode(listColumn) != 0 ? 34 : 0));
    m_editor.open(frozen ? m_frozen->viewport() : viewport(), rect, kind, m_grid.cellText(row, listColumn), items,
                  preselect);
}

void CGridView::moveTo(int row, int listColumn)
{
    if (row < 0 || row >= m_grid.rowCount() || listColumn < 0 || listColumn >= m_grid.listColumnCount())
        return;
    setCurrentIndex(m_tableModel->index(row, listColumn));
}

void CGridView::moveAndEdit(int row, int listColumn)
{
    moveTo(row, listColumn);
    OpenEditor(row, listColumn);
}

bool CGridView::startEditByTyping(QKeyEvent* event)
{
    if (DeskReadOnly())
        return false;
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    // Keys that reach the grid while its editor is open belong to the editor.
    if (QWidget* open = m_editor.widget()) {
        QKeyEvent typed(QEvent::KeyPress, event->key(), event->modifiers(), text);
        QCoreApplication::sendEvent(open->focusProxy() ? open->focusProxy() : open, &typed);
        return true;
    }
    const QModelIndex index = currentIndex();
    if (!index.isValid())
        return false;
    const EditorKind kind = m_grid.editorKind(index.column());
    // Typing never opens a file dialog, and a read-only cell takes nothing.
    if (kind == EditorKind::Picture || kind == EditorKind::Document || kind == EditorKind::None
        || m_grid.isReadOnly(index.column()))
        return true;
    OpenEditor(index.row(), index.column());
    if (QWidget* editor = m_editor.widget()) {
        // The typed text replaces the cell's, as it does in a spreadsheet.
        QKeyEvent typed(QEvent::KeyPress, event->key(), event->modifiers(), text);
        QCoreApplication::sendEvent(editor->focusProxy() ? editor->focusProxy() : editor, &typed);
    }
    return true;
}

void CGridView::attach(int row, int listColumn, bool picture)
{
    const QString folder = picture ? DataPictureFolder() : DataDocumentFolder();
    const QString cell = m_grid.cellText(row, listColumn);
    const QString start = cell.size() > 3 ? folder + QLatin1Char('/') + cell : folder;
    const QString file = QFileDialog::getOpenFileName(
        this, picture ? Translate(QStringLiteral("Select Picture File")) : TranslateLabel(QStringLiteral("Select Document File:")), start,
        picture ? QStringLiteral("Picture Files (*.jpg)")
                : QStringLiteral("Document Files (*.pdf);;Word Files (*.doc);;All Files (*)"));
    if (!file.isEmpty())
        m_grid.AttachFile(listColumn, row, file, folder);
}

void CGridView::runAction(int row, int listColumn)
{
    const int code = m_grid.actionCode(listColumn);
    const QString text = m_grid.cellText(row, listColumn);
    if (code >= 1 && code <= 9) {
        OpenCellLink(text);
        return;
    }
    if (text.isEmpty() && code != 18 && code != 99)
        return;
    m_grid.searchText = text;
    auto column = [&](const char* key) { return m_grid.cell(row, m_grid.FindColumnKey(QString::fromLatin1(key))); };
    switch (code) {
    case 10: Q_EMIT parentCommand(kCmdShowAssyList); break;
    case 11: Q_EMIT parentCommand(kCmdShowPartList); break;
    case 12: Q_EMIT parentCommand(kCmdShowVendList); break;
    case 13: Q_EMIT parentCommand(kCmdShowRescList); break;
    case 19: Q_EMIT parentCommand(kCmdShowLabrList); break;
    case 14:
        runWindow(WindowActions::PurchaseOrder, this, {text});
        Reload();
        break;
    case 15:
        runWindow(WindowActions::Order, this, {column("ORDER")});
        Reload();
        break;
    case 16:
        // Transferred values belong on screen as soon as the dialog closes.
        if (runWindow(WindowActions::PartInfo, this, {column("PART"), m_grid.rowId(row)}))
            Reload();
        break;
    case 17:
        if (runWindow(WindowActions::TaskEdit, this, {m_grid.rowId(row)}))
            Reload();
        break;
    case 18: {
        CPartSearch search(text, this);
        if (search.exec() == QDialog::Accepted && search.searchText() != text)
            m_grid.UpdateCell(listColumn, row, search.searchText());
        break;
    }
    case 99: CErrorCheck::Summary(m_grid.errorWord(row)); break;
    default: break;
    }
}

void CGridView::cellPressed(const QModelIndex& index, bool hot, Qt::MouseButton button)
{
    if (!index.isValid() || button != Qt::LeftButton)
        return;
    // A single click selects; only the hot zone acts at once.
    if (hot)
        runAction(index.row(), index.column());
}

void CGridView::mousePressEvent(QMouseEvent* event)
{
    Commit();
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    const bool hot = IsHotCell(point);
    QTableView::mousePressEvent(event);
    cellPressed(index, hot, event->button());
}

void CGridView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    QTableView::mouseDoubleClickEvent(event);
    if (index.isValid() && event->button() == Qt::LeftButton && !IsHotCell(point))
        OpenEditor(index.row(), index.column());
}

void CGridView::mouseMoveEvent(QMouseEvent* event)
{
    viewport()->setCursor(IsHotCell(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QTableView::mouseMoveEvent(event);
}

void CGridView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Undo)) {
        Undo();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        CopyCells();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        PasteCells(QGuiApplication::clipboard()->text());
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_D && modifiers == Qt::ControlModifier) {
        FillDown();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Insert:
        insertRecord();
        return;
    case Qt::Key_Delete:
    case Qt::Key_Backspace:
        // Delete empties cells as in a spreadsheet; records go only with Ctrl+Delete.
        if (event->key() == Qt::Key_Delete && modifiers == Qt::ControlModifier)
            deleteSelected();
        else if (modifiers == Qt::NoModifier)
            ClearCells();
        return;
    case Qt::Key_F2:
        if (currentIndex().isValid())
            OpenEditor(currentIndex().row(), currentIndex().column());
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (currentIndex().isValid() && event->modifiers() == Qt::NoModifier) {
            moveTo(std::min(currentIndex().row() + 1, m_grid.rowCount() - 1), currentIndex().column());
            return;
        }
        break;
    case Qt::Key_Escape:
        // Without an editor Esc first takes the filter away; only then does
        // it reach the window (which asks before it closes).
        if (!m_grid.filter().isEmpty()) {
            ApplyFilter(QString());
            return;
        }
        event->ignore();
        return;
    default:
        if (startEditByTyping(event))
            return;
        break;
    }
    QTableView::keyPressEvent(event);
}

bool CGridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_filterBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            ApplyFilter(QString());
            setFocus(Qt::OtherFocusReason);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down) {
            ApplyFilter(m_filterBox->text());
            setFocus(Qt::OtherFocusReason);
            if (!currentIndex().isValid() && m_grid.rowCount() > 0)
                moveTo(0, horizontalHeader()->logicalIndex(0));
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void CGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    m_currentId = current.isValid() ? m_grid.rowId(current.row()).toLongLong() : -1;
}

void CGridView::scrollContentsBy(int dx, int dy)
{
    Commit();
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0)
        m_frozen->follow();
}

void CGridView::Undo()
{
    if (DeskReadOnly())
        return;
    Commit();
    m_grid.Undo();
    viewport()->update();
    m_frozen->viewport()->update();
}

void CGridView::insertRecord()
{
    if (DeskReadOnly())
        return;
    Commit();
    if (!m_grid.InsertRecord())
        return;
    if (m_grid.table() == ReqmList) {
        runWindow(WindowActions::Order, this, {m_grid.newRecordNumber});
        Reload();
    } else if (m_grid.table() == PurcList) {
        runWindow(WindowActions::PurchaseOrder, this, {m_grid.newRecordNumber});
        Reload();
    }
    viewport()->update();
}

void CGridView::deleteSelected()
{
    if (DeskReadOnly())
        return;
    Commit();
    m_grid.DeleteRecords(SelectedRows());
}

void CGridView::chooseColumns()
{
    Commit();
    SaveColumnLayout();
    CHeaderSelect chooser(m_grid.table(), this);
    if (chooser.exec() == QDialog::Accepted)
        Reload();
}

void CGridView::RecordCommand(int command)
{
    if (m_grid.listColumnCount() == 0 && m_grid.columnCount() == 0)
        return;
    if (m_grid.table() == AssyList) {
        switch (command) {
        case 0:
            insertRecord();
            break;
        case 1:
            if (!DeskReadOnly() && runWindow(WindowActions::AddAssembly, this, {})) {
                App().TreeRebuildFlag = true;
                // The assembly just added is the newest bill line.
                const QString newest = NewestBillAssembly();
                if (!newest.isEmpty())
                    m_grid.currentAssembly = newest;
                Reload();
                if (parentWidget())
                    parentWidget()->update();
            }
            break;
        case 2: deleteSelected(); break;
        case 3: Load(AssyList); break;
        case 4: chooseColumns(); break;
        case 5: Print(); break;
        default: break;
        }
        return;
    }
    switch (command) {
    case 0: insertRecord(); break;
    case 1: deleteSelected(); break;
    case 2:
        Reload();
        if (m_grid.table() == PartList && OfferStockRepair())
            Reload();
        break;
    case 3: chooseColumns(); break;
    case 4: Print(); break;
    case 5:
        if (m_grid.table() == PartList)
            Q_EMIT parentCommand(kCmdShowSrcList);
        else if (m_grid.table() == SrcList)
            Q_EMIT parentCommand(kCmdShowBrkList);
        break;
    case 6:
        if (m_grid.table() == PartList)
            Q_EMIT parentCommand(kCmdShowRateList);
        else if (m_grid.table() == SrcList)
            refreshSources();
        break;
    default: break;
    }
}

void CGridView::refreshSources()
{
    Commit();
    const int partColumn = m_grid.FindColumnKey(QStringLiteral("PART"));
    // One selected cell is where the cursor happens to be, not a choice of parts.
    QList<int> rows = SelectedRows();
    if (rows.size() <= 1) {
        rows.clear();
        for (int r = 0; r < m_grid.rowCount(); ++r)
            rows << r;
    }
    QStringList parts;
    for (int r : rows) {
        const QString part = partColumn >= 0 ? m_grid.cell(r, partColumn).trimmed() : QString();
        if (!part.isEmpty() && !parts.contains(part))
            parts << part;
    }
    if (runWindow(WindowActions::RefreshSources, this, parts))
        Reload();
}

void CGridView::Print()
{
    Commit();
    if (m_grid.rowCount() == 0) {
        ShowMessage(Translate(QStringLiteral("No Data to Print")), Translate(QStringLiteral("Print")));
        return;
    }
    std::vector<int> order;
    for (int visual = 0; visual < horizontalHeader()->count(); ++visual)
        order.push_back(horizontalHeader()->logicalIndex(visual));
    const GridPrintout printout = MakeGridPrintout(m_grid, order);
    PrintJob job;
    job.documentName = printout.documentName;
    job.paint = [&printout](QPagedPaintDevice& device) { return PaintGrid(device, printout) > 0; };
    RunPrintJob(this, job);
}

bool CGridView::ShowAssemblyRow(int row, const QString& assembly, const QString& key)
{
    int found = row;
    if (found < 0) {
        const int column = m_grid.FindColumnKey(m_grid.table() == RescList ? QStringLiteral("STEP") : QStringLiteral("ASS"));
        const int assemblyColumn = m_grid.FindColumnKey(QStringLiteral("ASS"));
        for (int r = 0; r < m_grid.rowCount() && column >= 0; ++r)
            if (m_grid.cell(r, column) == key
                && (assembly.isEmpty() || m_grid.cell(r, assemblyColumn) == assembly)) {
                found = r;
                break;
            }
    }
    if (assembly != m_grid.currentAssembly && !assembly.isEmpty()) {
        m_grid.currentAssembly = assembly;
        if (m_grid.table() == AssyList || m_grid.table() == RescList)
            Reload();
    }
    if (found < 0 || found >= m_grid.rowCount())
        return false;
    clearSelection();
    const QModelIndex index = m_tableModel->index(found, 0);
    selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    scrollTo(index);
    return true;
}
