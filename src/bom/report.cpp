#include "bom/report.h"

#include "app/appstate.h"
#include "app/dictionary.h"
#include "app/userinterface.h"
#include "bom/addassy.h"
#include "bom/assemblyindex.h"
#include "bom/assyview.h"
#include "bom/bomimages.h"
#include "bom/bomtree.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

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

QPushButton* imageButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(Translate(text), parent);
    button->setMinimumWidth(100);
    return button;
}

} // namespace

QIcon BomTreeIcon(int cell)
{
    return QIcon(QPixmap::fromImage(TreeIcon(cell)));
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

CReport::CReport(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Report")));
    ApplyBomDialogLook(this);
    m_treeView = new CAssyView(this);
    m_treeView->hide();

    auto* assemblyBox = new QGroupBox(Translate(QStringLiteral("Assembly")), this);
    m_tree = new QTreeWidget(assemblyBox);
    (new QVBoxLayout(assemblyBox))->addWidget(m_tree);

    auto* columnBox = new QGroupBox(Translate(QStringLiteral("Columns")), this);
    m_choices = new QListWidget(columnBox);
    (new QVBoxLayout(columnBox))->addWidget(m_choices);
    m_choices->setStyleSheet(QStringLiteral("QListWidget { background: rgb(8, 8, 8); color: rgb(192, 192, 255); }"));
    m_choices->setToolTip(Translate(QStringLiteral("Name")));

    m_bill = new QTableWidget(this);
    m_bill->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_bill->setShowGrid(true);
    m_bill->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_bill->verticalHeader()->hide();
    m_bill->setStyleSheet(QStringLiteral("QTableWidget { background: rgb(8, 8, 8); color: rgb(192, 192, 255);"
                                         " gridline-color: rgb(64, 64, 96); }"));

    auto* indented = imageButton(QStringLiteral("Indented BOM"), this);
    auto* flat = imageButton(QStringLiteral("Flat BOM"), this);
    auto* tree = imageButton(QStringLiteral("Tree"), this);
    auto* print = imageButton(QStringLiteral("Print"), this);
    auto* ok = imageButton(QStringLiteral("OK"), this);
    connect(indented, &QPushButton::clicked, this, [this] { produceReport(kIndentedBom); });
    connect(flat, &QPushButton::clicked, this, [this] { produceReport(kFlatBom); });
    connect(tree, &QPushButton::clicked, this, &CReport::showTree);
    connect(print, &QPushButton::clicked, this, &CReport::print);
    connect(ok, &QPushButton::clicked, this, &CReport::accept);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {indented, flat, tree, print})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(ok);

    auto* grid = new QGridLayout(this);
    grid->addWidget(assemblyBox, 0, 0);
    grid->addWidget(columnBox, 1, 0);
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
    FillAssemblyTreeControl(m_tree, Query(QStringLiteral("Select AssyList.id,AssyList.Assy,AssyList.Part_nBr from AssyList")));
    m_tree->expandAll();

    const ReportColumnChoice& remembered = rememberedChoices();
    for (int k = 0; k < kReportKeyCount; ++k) {
        auto* item = new QListWidgetItem(Translate(QString::fromUtf8(kReportKeys[k])), m_choices);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(remembered[k] ? Qt::Checked : Qt::Unchecked);
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
    m_bill->clear();
    const int columns = static_cast<int>(m_report.columns.size());
    const int lines = static_cast<int>(m_report.lines.size());
    m_bill->setColumnCount(columns);
    m_bill->setRowCount(lines);
    QStringList captions;
    for (int c = 0; c < columns; ++c)
        captions << m_report.columnName(c);
    m_bill->setHorizontalHeaderLabels(captions);
    for (int c = 0; c < columns; ++c)
        m_bill->setColumnWidth(c, std::max(40, 12 * static_cast<int>(captions[c].size())));
    m_bill->setUpdatesEnabled(false);
    for (int l = 0; l < lines; ++l)
        for (int c = 0; c < columns; ++c)
            m_bill->setItem(l, c, new QTableWidgetItem(m_report.cellText(l, c)));
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
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!printer.isValid()) {
        ShowMessage(Translate(QStringLiteral("Print Dialog Failure")));
        return;
    }
    printer.setDocName(QStringLiteral("KOLT BOM"));
    PrintBomReport(m_report, printer);
}

void CReport::accept()
{
    rememberedChoices() = checkedColumns();
    QDialog::accept();
}
