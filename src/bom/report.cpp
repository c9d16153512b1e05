#include "bom/report.h"

#include "bom/addassy.h"
#include "bom/assemblyindex.h"
#include "bom/assyview.h"
#include "bom/bomimages.h"
#include "bom/bomtree.h"
#include "bom/changewindows.h"
#include "bom/reporttable.h"
#include "controls/artwork.h"
#include "controls/imagebutton.h"
#include "controls/printjob.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"

#include <QDir>
#include <QFileDialog>
#include <QHash>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kWidestTextColumn = 320;

// The column choices live for the run of the application.
ReportColumnChoice& rememberedChoices()
{
    static ReportColumnChoice choices = [] {
        ReportColumnChoice all;
        all.fill(true);
        return all;
    }();
    return choices;
}

void addItem(QTreeWidgetItem* parent, QTreeWidget* tree, const BomTreeItem& source)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    item->setText(0, source.text);
    item->setIcon(0, BomTreeIcon(source.image));
    item->setData(0, Qt::UserRole, source.data);
    for (const BomTreeItem& child : source.children)
        addItem(item, tree, child);
}

// A transparent holder for one control, inside a captioned panel of the dialog.
QWidget* panelHolder(QWidget* control, QWidget* parent)
{
    auto* holder = new QWidget(parent);
    auto* layout = new QVBoxLayout(holder);
    layout->setContentsMargins(10, 26, 10, 10);
    control->setParent(holder);
    layout->addWidget(control);
    return holder;
}

} // namespace

QIcon BomTreeIcon(int cell)
{
    // Drawn once per cell and shared by every item: a tree of many thousand
    // lines would otherwise paint and hold a picture for each of them.
    static QHash<int, QIcon> icons;
    auto it = icons.constFind(cell);
    if (it == icons.constEnd())
        it = icons.insert(cell, QIcon(QPixmap::fromImage(TreeIcon(cell))));
    return *it;
}

void AddBomTreeItems(QTreeWidget* tree, const std::vector<BomTreeItem>& items)
{
    for (const BomTreeItem& item : items)
        addItem(nullptr, tree, item);
}

void FillAssemblyTreeControl(QTreeWidget* tree, const QueryResult& rows)
{
    tree->clear();
    tree->setStyleSheet(QStringLiteral("QTreeWidget { background: rgb(64, 64, 64); color: white; }"
                                       "QTreeView::branch { border-color: yellow; }"));
    tree->setIconSize(QSize(24, 24));
    tree->setHeaderHidden(true);
    CycleReport cycles;
    AddBomTreeItems(tree, AssemblyTreeItems(rows, cycles));
    cycles.show();
}

CReport::CReport(QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Report")));
    m_treeView = new CAssyView(this);
    m_treeView->hide();

    m_tree = new QTreeWidget(this);
    m_assemblyBox = panelHolder(m_tree, this);
    m_choices = new QListWidget(this);
    m_columnBox = panelHolder(m_choices, this);
    m_choices->setStyleSheet(QStringLiteral("QListWidget { background: rgb(8, 8, 8); color: rgb(192, 192, 255); }"));
    m_choices->setToolTip(Translate(QStringLiteral("Name")));

    m_bill = new QTableWidget(this);
    m_bill->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_bill->setShowGrid(true);
    m_bill->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_bill->verticalHeader()->hide();
    m_bill->setStyleSheet(QStringLiteral("QTableWidget { background: rgb(8, 8, 8); color: rgb(192, 192, 255);"
                                         " gridline-color: rgb(64, 64, 96); }"));

    auto* indented = new CImageButton(QStringLiteral("Indented BOM"), 0, 6, this);
    auto* flat = new CImageButton(QStringLiteral("Flat BOM"), 0, 5, this);
    auto* tree = new CImageButton(QStringLiteral("Tree"), 0, 1093, this);
    auto* print = new CImageButton(QStringLiteral("Print"), kIconPrint, 1092, this);
    auto* compare = new CImageButton(QStringLiteral("Compare"), 0, 1094, this);
    auto* workbook = new CImageButton(QStringLiteral("Export"), 0, 1095, this);
    workbook->setObjectName(QStringLiteral("export"));
    auto* ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, this);
    connect(indented, &QAbstractButton::clicked, this, [this] { produceReport(kIndentedBom); });
    connect(flat, &QAbstractButton::clicked, this, [this] { produceReport(kFlatBom); });
    connect(tree, &QAbstractButton::clicked, this, &CReport::showTree);
    connect(print, &QAbstractButton::clicked, this, &CReport::print);
    // The comparison of the shown assembly's last kept revision with its
    // bill now, with its own printout.
    connect(compare, &QAbstractButton::clicked, this, [this] {
        CCompareBills dialog(selectedAssembly().isEmpty() ? m_report.assembly : selectedAssembly(), this);
        dialog.exec();
    });
    connect(workbook, &QAbstractButton::clicked, this, [this] {
        if (m_report.lines.empty()) {
            ShowMessage(Translate(QStringLiteral("Produce Indented or Flat BOM before Exporting")),
                        Translate(QStringLiteral("Export")));
            return;
        }
        const QString suggested =
            QDir::home().filePath(Format("%s %s.xlsx", {m_report.assembly, m_report.title()}).simplified());
        const QString path = QFileDialog::getSaveFileName(this, Translate(QStringLiteral("Export")), suggested,
                                                          Translate(QStringLiteral("Workbooks")) + QStringLiteral(" (*.xlsx)"));
        if (!path.isEmpty())
            exportWorkbook(path);
    });
    connect(ok, &QAbstractButton::clicked, this, &CReport::accept);

    auto* buttons = new QHBoxLayout;
    for (CImageButton* b : {indented, flat, tree, print, workbook, compare}) {
        b->setFixedSize(b->sizeHint().expandedTo(QSize(110, 48)));
        buttons->addWidget(b);
    }
    ok->setFixedSize(ok->sizeHint().expandedTo(QSize(96, 48)));
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_assemblyBox, 0, 0);
    grid->addWidget(m_columnBox, 1, 0);
    grid->addWidget(m_bill, 0, 1, 2, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(0, 2);
    grid->setRowStretch(1, 1);
    resize(980, 600);

    // The navigation view keeps the index; without one yet, build it here.
    if (App().assemblyNames.isEmpty())
        LoadAssemblyIndex();
    FillAssemblyTreeControl(m_tree, ReadAssemblyLinks());
    m_tree->expandAll();

    const ReportColumnChoice& remembered = rememberedChoices();
    for (int k = 0; k < kReportKeyCount; ++k) {
        auto* item = new QListWidgetItem(Translate(QString::fromUtf8(kReportKeys[k])), m_choices);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(remembered[k] ? Qt::Checked : Qt::Unchecked);
    }
}

void CReport::resizeEvent(QResizeEvent* event)
{
    CDarkDialog::resizeEvent(event);
    placePanels();
}

void CReport::placePanels()
{
    clearPanels();
    // Each panel has a caption strip along its top edge.
    for (const auto& [box, caption] : {std::pair{m_assemblyBox, QStringLiteral("Assembly")},
                                       std::pair{m_columnBox, QStringLiteral("Columns")}}) {
        const QRect area = box->geometry();
        addPanel(area, QString());
        addPanel(QRect(area.left(), area.top(), area.width(), 22), Translate(caption), 10);
    }
}

QString CReport::selectedAssembly() const
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    return item ? item->text(0) : QString();
}

bool CReport::selectAssembly(const QString& name)
{
    const auto found = m_tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    if (found.isEmpty())
        return false;
    m_tree->setCurrentItem(found.first());
    return true;
}

ReportColumnChoice CReport::checkedColumns() const
{
    ReportColumnChoice choice{};
    for (int k = 0; k < kReportKeyCount && k < m_choices->count(); ++k)
        choice[k] = m_choices->item(k)->checkState() == Qt::Checked;
    return choice;
}

void CReport::produceReport(int mode)
{
    if (!m_report.produce(selectedAssembly(), mode, checkedColumns()))
        return;
    const ReportTable table = MakeReportTable(m_report);
    const int columns = table.columnCount();
    const int lines = static_cast<int>(table.rows.size());
    m_bill->setUpdatesEnabled(false);
    m_bill->clear();
    m_bill->setColumnCount(columns);
    m_bill->setRowCount(lines + (table.totals.isEmpty() ? 0 : 1));
    QStringList captions;
    for (const ReportTableColumn& column : table.columns)
        captions << column.heading;
    m_bill->setHorizontalHeaderLabels(captions);
    auto place = [&](int row, const QStringList& cells, bool strong) {
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem(cells.value(c));
            if (table.columns[static_cast<size_t>(c)].numeric)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (strong) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            m_bill->setItem(row, c, item);
        }
    };
    for (int l = 0; l < lines; ++l)
        place(l, table.rows[static_cast<size_t>(l)], false);
    if (!table.totals.isEmpty())
        place(lines, table.totals, true);
    // Every column as wide as its widest text, so no part number is cut; only
    // long free text stops at a width and shows whole in its tooltip.
    m_bill->resizeColumnsToContents();
    for (int c = 0; c < columns; ++c) {
        if (table.columns[static_cast<size_t>(c)].elastic && m_bill->columnWidth(c) > kWidestTextColumn) {
            m_bill->setColumnWidth(c, kWidestTextColumn);
            for (int r = 0; r < m_bill->rowCount(); ++r)
                if (QTableWidgetItem* item = m_bill->item(r, c))
                    item->setToolTip(item->text());
        }
    }
    m_bill->setUpdatesEnabled(true);
}

void CReport::showTree()
{
    m_treeView->setSelectedAssembly(selectedAssembly());
    m_treeView->buildTree();
    m_treeView->show();
    m_treeView->raise();
}

void CReport::print()
{
    if (m_treeView->isVisible()) {
        m_treeView->print();
        return;
    }
    if (m_report.lines.empty()) {
        ShowMessage(Translate(QStringLiteral("Produce Indented or Flat BOM before Printing")),
                    Translate(QStringLiteral("Print")));
        return;
    }
    PrintJob job;
    job.documentName = QStringLiteral("KOLT BOM");
    job.suggestedFile = Format("KOLT %s %s", {m_report.title(), m_report.assembly});
    // The printout keeps its own margins from the edge of the page.
    job.pdfMarginMm = 0;
    job.paint = [this](QPagedPaintDevice& device) { return PrintBomReport(m_report, device) > 0; };
    RunPrintJob(this, job);
}

bool CReport::exportWorkbook(const QString& path)
{
    return WriteReportWorkbook(path, m_report.assembly, MakeReportTable(m_report));
}

void CReport::accept()
{
    rememberedChoices() = checkedColumns();
    QDialog::accept();
}
