#include "grid/gridview.h"

#include "controls/printjob.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/windowhooks.h"
#include "grid/celllink.h"
#include "grid/griddelegate.h"
#include "grid/gridprint.h"
#include "grid/headerselect.h"
#include "grid/partsearch.h"
#include "grid/stockcheck.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

namespace {

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
    m_tableModel = new CGridTableModel(m_grid, this);
    setModel(m_tableModel);
    setItemDelegate(new CGridDelegate(m_grid, this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setMouseTracking(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(26);
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    ApplyDarkGridPalette(this, QColor(64, 64, 64));
    setStyleSheet(QStringLiteral("QTableView { background: rgb(64,64,64); }"
                                 "QHeaderView { background: rgb(48,48,48); }"
                                 "QHeaderView::section { background: rgb(48,48,48); color: white; "
                                 "border: 1px solid rgb(128,128,128); padding: 2px; }"));

    m_grid.beforeLoad = [this]() { captureLayout(); };
    connect(&m_grid, &CGridModel::loaded, this, &CGridView::afterLoad);
    connect(&m_grid, &CGridModel::parentCommand, this, &CGridView::parentCommand);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int listColumn) {
        Commit();
        m_grid.SortByListColumn(listColumn);
    });
    connect(horizontalHeader(), &QHeaderView::sectionMoved, this, [this]() { viewport()->update(); });
    connect(horizontalHeader(), &QHeaderView::customContextMenuRequested, this, [this]() { chooseColumns(); });

    connect(&m_editor, &CCellEditor::tabPressed, this, [this]() {
        const int row = m_row, column = m_column;
        Commit();
        const int visual = horizontalHeader()->visualIndex(column);
        if (visual + 1 < horizontalHeader()->count())
            moveAndEdit(row, horizontalHeader()->logicalIndex(visual + 1));
    });
    connect(&m_editor, &CCellEditor::enterPressed, this, [this]() {
        const int row = m_row, column = m_column;
        Commit();
        if (row + 1 < m_grid.rowCount())
            moveAndEdit(row + 1, column);
    });
    connect(&m_editor, &CCellEditor::escapePressed, this, [this]() { m_editor.close(); });
    connect(&m_editor, &CCellEditor::itemChosen, this, [this]() { Commit(); });
}

CGridView::~CGridView()
{
    m_grid.beforeLoad = nullptr;
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

    // Picture columns need taller rows.
    bool pictures = false;
    for (int lc = 0; lc < m_grid.listColumnCount(); ++lc)
        pictures = pictures || m_grid.result().headings[m_grid.resultColumn(lc)].contains(QLatin1String("Pict"));
    verticalHeader()->setDefaultSectionSize(pictures ? 40 : 26);

    clearSelection();
    for (int row : m_grid.rowsToSelect())
        selectionModel()->select(m_tableModel->index(row, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (m_grid.rowToShow() >= 0) {
        const QModelIndex shown = m_tableModel->index(m_grid.rowToShow(), 0);
        selectionModel()->setCurrentIndex(shown, QItemSelectionModel::NoUpdate);
        scrollTo(shown);
    }
    setUpdatesEnabled(true);
}

QList<int> CGridView::SelectedRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CGridView::IsHotCell(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid() || m_grid.actionCode(index.column()) == 0)
        return false;
    return point.x() > visualRect(index).right() - kHotZoneWidth;
}

void CGridView::Commit()
{
    if (!m_editor.isOpen())
        return;
    const QString text = m_editor.text();
    m_editor.close();
    const QList<int> selected = SelectedRows();
    const bool several = selected.contains(m_row) && selected.size() > 1;
    m_grid.CommitEdit(m_column, m_row, text, selected);
    if (several)
        clearSelection();
    if (m_grid.table() == AssyList && parentWidget())
        parentWidget()->update();
    viewport()->update();
}

void CGridView::OpenEditor(int row, int listColumn)
{
    if (row < 0 || row >= m_grid.rowCount() || listColumn < 0 || listColumn >= m_grid.listColumnCount())
        return;
    m_row = row;
    m_column = listColumn;
    const EditorKind kind = m_grid.editorKind(listColumn);
    if (kind == EditorKind::Picture || kind == EditorKind::Document) {
        attach(row, listColumn, kind == EditorKind::Picture);
        return;
    }
    if (m_grid.isReadOnly(listColumn) || kind == EditorKind::None)
        return;
    int preselect = -1;
    const QStringList items = m_grid.EditorItems(listColumn, row, &preselect);
    const QModelIndex index = m_tableModel->index(row, listColumn);
    scrollTo(index);
    QRect rect = visualRect(index);
    rect.setWidth(rect.width() - 2 - (m_grid.actionCode(listColumn) != 0 ? 34 : 0));
    m_editor.open(viewport(), rect, kind, m_grid.cellText(row, listColumn), items, preselect);
}

void CGridView::moveAndEdit(int row, int listColumn)
{
    setCurrentIndex(m_tableModel->index(row, listColumn));
    OpenEditor(row, listColumn);
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
        const QUrl target = CellLinkTarget(text);
        if (!target.isEmpty())
            QDesktopServices::openUrl(target);
        return;
    }
    if (text.isEmpty() && code != 18 && code != 99)
        return;
    m_grid.searchText = text;
    auto column = [&](const char* key) { return m_grid.result().cell(row, m_grid.FindColumnKey(QString::fromLatin1(key))); };
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

void CGridView::mousePressEvent(QMouseEvent* event)
{
    m_previousRow = m_row;
    m_previousColumn = m_column;
    Commit();
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    QTableView::mousePressEvent(event);
    if (!index.isValid() || event->button() != Qt::LeftButton)
        return;
    m_row = index.row();
    m_column = index.column();
    if (IsHotCell(point)) {
        runAction(index.row(), index.column());
        return;
    }
    // Extending a selection with Shift or Ctrl is not an edit.
    if (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    OpenEditor(index.row(), index.column());
}

void CGridView::mouseMoveEvent(QMouseEvent* event)
{
    viewport()->setCursor(IsHotCell(event->position().toPoint()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    QTableView::mouseMoveEvent(event);
}

void CGridView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Insert:
        insertRecord();
        return;
    case Qt::Key_Delete:
        deleteSelected();
        return;
    default:
        QTableView::keyPressEvent(event);
    }
}

void CGridView::scrollContentsBy(int dx, int dy)
{
    Commit();
    QTableView::scrollContentsBy(dx, dy);
}

void CGridView::insertRecord()
{
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
    if (m_grid.listColumnCount() == 0 && m_grid.result().columnCount == 0)
        return;
    if (m_grid.table() == AssyList) {
        switch (command) {
        case 0:
            insertRecord();
            break;
        case 1:
            if (runWindow(WindowActions::AddAssembly, this, {})) {
                App().TreeRebuildFlag = true;
                // The assembly just added is the newest bill line.
                QString newest = QueryText(QStringLiteral("Select Assy from AssyList order by id desc limit 1"), true);
                newest.chop(1);
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
    default: break;
    }
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
            if (m_grid.result().cell(r, column) == key
                && (assembly.isEmpty() || m_grid.result().cell(r, assemblyColumn) == assembly)) {
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
