#include "bom/dbview.h"

#include "bom/assemblyindex.h"
#include "bom/bomtree.h"
#include "bom/report.h"
#include "core/appstate.h"
#include "core/userinterface.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/utilities.h"
#include "core/windowhooks.h"
#include "db/database.h"

#include <QHeaderView>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

constexpr int kRoleAssembly = Qt::UserRole + 1;
constexpr int kRolePart = Qt::UserRole + 2;
constexpr int kRoleStep = Qt::UserRole + 3;
constexpr int kRoleIsStep = Qt::UserRole + 4;
constexpr int kRoleOpens = Qt::UserRole + 5;  // a branch lies below
constexpr int kRoleFilled = Qt::UserRole + 6; // and has been read

// The details of the selected part or step: labelled values in light text
// over a dark teal gradient, readable in any of the languages.
constexpr int kDetailsHeight = 151;
constexpr int kSourceLineHeight = 16;

class DetailsArea final : public QWidget
{
public:
    explicit DetailsArea(CDBView* view) : QWidget(view), m_view(view) { setFixedHeight(kDetailsHeight); }

    // The panel grows by a line per source of the part shown.
    void fitSources(qsizetype count)
    {
        setFixedHeight(kDetailsHeight + kSourceLineHeight * static_cast<int>(std::min<qsizetype>(count, 6)));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor(24, 72, 88));
        gradient.setColorAt(1, QColor(8, 16, 24));
        p.fillRect(rect(), gradient);
        p.setPen(QColor(0, 160, 176));
        p.drawLine(0, 0, width(), 0);
        QFont labelFont(QStringLiteral("Arial"));
        labelFont.setPointSize(10);
        QFont valueFont = labelFont;
        valueFont.setPointSize(11);
        valueFont.setBold(true);
        const QColor labelColour(176, 208, 216);
        const QColor valueColour(Qt::white);
        const int labelX = 12;

        QStringList labels;
        if (m_view->m_selection == CDBView::Selection::Part)
            labels = {QStringLiteral("Material"), QStringLiteral("Labor"), QStringLiteral("Manufacturer"),
                      QStringLiteral("Distributor")};
        else if (m_view->m_selection == CDBView::Selection::Step)
            labels = {QStringLiteral("Step"), QStringLiteral("Resource"), QStringLiteral("Hours"), QStringLiteral("Cost")};
        else
            return;
        for (QString& label : labels)
            label = TranslateLabel(label + QLatin1Char(':'));
        int labelWidth = 0;
        for (const QString& label : labels)
            labelWidth = std::max(labelWidth, QFontMetrics(labelFont).horizontalAdvance(label));
        const int valueX = labelX + labelWidth + 10;
        int pictureLeft = width();
        if (m_view->m_selection == CDBView::Selection::Part) {
            const PartDetails& d = m_view->m_part;
            const QImage picture = d.picture.isEmpty() ? QImage() : QImage(PicturePath(d.picture));
            if (!picture.isNull()) {
                const QRect box(width() - 96 - 8, 8, 96, 96);
                const QSize size = picture.size().scaled(box.size(), Qt::KeepAspectRatio);
                p.drawImage(QRect(box.topLeft(), size), picture);
                pictureLeft = box.left() - 8;
            }
        }
        auto row = [&](int index, const QString& value) {
            const QRect line(labelX, 8 + 24 * index, pictureLeft - labelX, 24);
            p.setFont(labelFont);
            p.setPen(labelColour);
            p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, labels.value(index));
            p.setFont(valueFont);
            p.setPen(valueColour);
            const int valueWidth = std::max(0, line.right() - valueX);
            p.drawText(QRect(valueX, line.top(), valueWidth, line.height()), Qt::AlignLeft | Qt::AlignVCenter,
                       p.fontMetrics().elidedText(value, Qt::ElideRight, valueWidth));
        };
        if (m_view->m_selection == CDBView::Selection::Part) {
            const PartDetails& d = m_view->m_part;
            const QString symbol = CurrencySymbol(d.currency);
            row(0, Format("%s%0.2f", {symbol, TextToDouble(d.price)}));
            row(1, Format("%s%0.2f", {symbol, TextToDouble(d.labor)}));
            row(2, d.manufacturer);
            row(3, d.distributor);
            p.setFont(labelFont);
            p.setPen(valueColour);
            const int textWidth = width() - 2 * labelX;
            p.drawText(QRect(labelX, 8 + 24 * 4 + 4, textWidth, 36), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
                       d.description);
            // The newest change of the part; the tooltip has the last few.
            if (!d.lastChanges.isEmpty()) {
                p.setPen(labelColour);
                p.drawText(QRect(labelX, 8 + 24 * 4 + 44, textWidth, 20), Qt::AlignLeft | Qt::AlignVCenter,
                           p.fontMetrics().elidedText(TranslateLabel(QStringLiteral("Last change:")) + QLatin1Char(' ')
                                                          + d.lastChanges.first(),
                                                      Qt::ElideRight, textWidth));
            }
            // Where the part is bought, one source a line under the description.
            QFont sourceFont = labelFont;
            sourceFont.setPointSize(9);
            p.setFont(sourceFont);
            p.setPen(labelColour);
            for (int i = 0; i < d.sources.size(); ++i)
                p.drawText(QRect(labelX, kDetailsHeight - 4 + kSourceLineHeight * i, textWidth, kSourceLineHeight),
                           Qt::AlignLeft | Qt::AlignVCenter,
                           p.fontMetrics().elidedText(d.sources[i], Qt::ElideRight, textWidth));
        } else {
            const StepDetails& d = m_view->m_step;
            row(0, m_view->m_selectedStep);
            row(1, d.resource);
            row(2, d.hours);
            row(3, d.cost);
        }
    }

private:
    CDBView* m_view;
};

namespace {

QTreeWidget* makeTree(QWidget* parent)
{
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setIconSize(QSize(24, 24));
    tree->setStyleSheet(QStringLiteral("QTreeWidget { background: rgb(64, 64, 64); color: white; border: none; }"
                                       "QTreeWidget::item { height: 26px; }"));
    tree->setContextMenuPolicy(Qt::CustomContextMenu);
    return tree;
}

} // namespace

CDBView::CDBView(QWidget* parent) : QWidget(parent)
{
    m_splitter = new QSplitter(Qt::Horizontal, this);
    // The divider drags as an outline bar and settles on release.
    m_splitter->setOpaqueResize(false);
    m_splitter->setHandleWidth(5);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStyleSheet(QStringLiteral("QSplitter::handle { background: rgb(96, 96, 96); }"));

    m_panel = new QWidget(m_splitter);
    m_stack = new QStackedWidget(m_panel);
    m_assemblyTree = makeTree(m_stack);
    m_routingTree = makeTree(m_stack);
    m_stack->addWidget(m_assemblyTree);
    m_stack->addWidget(m_routingTree);
    m_details = new DetailsArea(this);
    m_search = new QLineEdit(m_panel);
    m_search->setPlaceholderText(Translate(QStringLiteral("Find assembly or part")));
    m_search->setClearButtonEnabled(true);
    m_search->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(48, 48, 48); color: white; border: none;"
                                           " padding: 4px; }"));
    auto* panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->setSpacing(0);
    panelLayout->addWidget(m_search);
    panelLayout->addWidget(m_stack, 1);
    panelLayout->addWidget(m_details);

    // Without a grid beside it the view is the panel alone (the main window may
    // place the grid itself).
    m_grid = new QWidget(m_splitter);
    m_grid->hide();
    m_splitter->addWidget(m_panel);
    m_splitter->addWidget(m_grid);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({260, 700});
    m_panel->setMinimumWidth(120);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);

    for (QTreeWidget* tree : {m_assemblyTree, m_routingTree}) {
        connect(tree, &QTreeWidget::currentItemChanged, this, [this, tree] { selectionChanged(tree); });
        connect(tree, &QWidget::customContextMenuRequested, this,
                [this, tree](const QPoint& position) { showTreeMenu(tree, position); });
        connect(tree, &QTreeWidget::itemExpanded, this, [this, tree](QTreeWidgetItem* item) { fillBranch(tree, item); });
    }
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        // Enter again goes on to the next assembly the text finds.
        if (!m_search->text().trimmed().isEmpty() && !findInTree(m_search->text()))
            ShowMessage(Translate(QStringLiteral("Not found in the tree")) + QStringLiteral(": ") + m_search->text().trimmed());
    });
}

void CDBView::setGridWidget(QWidget* grid)
{
    if (!grid || grid == m_grid)
        return;
    const QList<int> sizes = m_splitter->sizes();
    QWidget* old = m_grid;
    m_splitter->replaceWidget(1, grid);
    m_grid = grid;
    grid->show();
    old->deleteLater();
    m_splitter->setSizes(sizes);
}

void CDBView::onCommand(int command)
{
    if (command == kCommandTreeRefresh)
        refresh();
}

void CDBView::refresh()
{
    const int table = CurrentTable();
    if (table == AssyList)
        showAssemblyView();
    else if (table == RescList)
        showRoutingView();
    updateDividerState();
    reloadDetails();
}

void CDBView::reloadDetails()
{
    // The values shown may have changed under the panel (a roll-up, an edit
    // in the grid): they are read again, not kept from the selection.
    if (m_selection == Selection::Part) {
        m_part = LoadPartDetails(m_selectedPart);
        static_cast<DetailsArea*>(m_details)->fitSources(m_part.sources.size());
    } else if (m_selection == Selection::Step)
        m_step = LoadStepDetails(m_selectedAssembly, m_selectedStep);
    showLastChanges();
}

void CDBView::showLastChanges()
{
    m_details->setToolTip(m_selection == Selection::Part ? m_part.lastChanges.join(QLatin1Char('\n')) : QString());
    m_details->update();
}

void CDBView::updateDividerState()
{
    // The divider moves only while the bill or the routing is on view.
    const int table = CurrentTable();
    if (QSplitterHandle* handle = m_splitter->handle(1))
        handle->setEnabled(table == AssyList || table == RescList);
}

namespace {

// The assembly whose lines lie below an item: a top-level item's own, or the
// sub-assembly a line names.
QString branchAssembly(const QTreeWidgetItem* item)
{
    const QString part = item->data(0, kRolePart).toString();
    return part.isEmpty() ? item->data(0, kRoleAssembly).toString() : part;
}

// A line naming an assembly already open above it is listed, not opened again.
bool onPathAbove(const QTreeWidgetItem* parent, const QString& assembly)
{
    for (const QTreeWidgetItem* above = parent; above; above = above->parent())
        if (branchAssembly(above) == assembly)
            return true;
    return false;
}

} // namespace

void CDBView::applyItems(QTreeWidget* tree, QTreeWidgetItem* parent, const std::vector<BomTreeItem>& items)
{
    // Items are reused in place so expansion survives a reload and nothing flickers.
    const int existing = parent ? parent->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const BomTreeItem& source = items[i];
        QTreeWidgetItem* item = nullptr;
        if (i < existing)
            item = parent ? parent->child(i) : tree->topLevelItem(i);
        else
            item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
        item->setText(0, source.text);
        item->setIcon(0, BomTreeIcon(source.image));
        item->setData(0, Qt::UserRole, source.data);
        item->setData(0, kRoleAssembly, source.assembly);
        item->setData(0, kRolePart, source.part);
        item->setData(0, kRoleStep, source.step);
        item->setData(0, kRoleIsStep, source.isStep);
        const bool opens = source.expandable && !onPathAbove(parent, source.part.isEmpty() ? source.assembly : source.part);
        item->setData(0, kRoleOpens, opens);
        item->setChildIndicatorPolicy(opens ? QTreeWidgetItem::ShowIndicator
                                            : QTreeWidgetItem::DontShowIndicatorWhenChildless);
        if (!opens || !item->isExpanded()) {
            // Read again when it is next opened.
            item->setData(0, kRoleFilled, false);
            for (int c = item->childCount() - 1; c >= 0; --c)
                delete item->takeChild(c);
        }
    }
    for (int i = existing - 1; i >= static_cast<int>(items.size()); --i)
        delete (parent ? parent->takeChild(i) : tree->takeTopLevelItem(i));
}

QHash<QString, std::vector<BomTreeItem>> CDBView::branches(QTreeWidget* tree, const QStringList& assemblies) const
{
    return tree == m_routingTree ? RoutingBranches(assemblies, m_graph) : AssemblyBranches(assemblies, m_graph, false);
}

void CDBView::refreshTree(QTreeWidget* tree)
{
    tree->setUpdatesEnabled(false);
    applyItems(tree, nullptr, TopLevelItems(m_graph));
    std::vector<QTreeWidgetItem*> open;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        if (tree->topLevelItem(i)->isExpanded() && tree->topLevelItem(i)->data(0, kRoleOpens).toBool())
            open.push_back(tree->topLevelItem(i));
    while (!open.empty()) {
        QStringList assemblies;
        for (const QTreeWidgetItem* item : open)
            if (!assemblies.contains(branchAssembly(item)))
                assemblies << branchAssembly(item);
        const QHash<QString, std::vector<BomTreeItem>> filled = branches(tree, assemblies);
        std::vector<QTreeWidgetItem*> next;
        for (QTreeWidgetItem* item : open) {
            applyItems(tree, item, filled.value(branchAssembly(item)));
            item->setData(0, kRoleFilled, true);
            for (int c = 0; c < item->childCount(); ++c)
                if (item->child(c)->isExpanded() && item->child(c)->data(0, kRoleOpens).toBool())
                    next.push_back(item->child(c));
        }
        open.swap(next);
    }
    tree->setUpdatesEnabled(true);
}

void CDBView::fillBranch(QTreeWidget* tree, QTreeWidgetItem* item)
{
    if (item->data(0, kRoleFilled).toBool() || !item->data(0, kRoleOpens).toBool())
        return;
    const QString assembly = branchAssembly(item);
    applyItems(tree, item, branches(tree, {assembly}).value(assembly));
    item->setData(0, kRoleFilled, true);
}

void CDBView::showAssemblyView()
{
    m_stack->setCurrentWidget(m_assemblyTree);
    if (App().TreeRebuildFlag) {
        m_assemblyTree->clear();
        m_routingTree->clear();
        App().TreeRebuildFlag = false;
    }
    m_graph.load();
    CycleReport cycles;
    m_graph.findCycles(cycles);
    refreshTree(m_assemblyTree);
    if (m_currentAssembly.isEmpty() && m_assemblyTree->topLevelItemCount() > 0)
        m_currentAssembly = m_assemblyTree->topLevelItem(0)->text(0);
    cycles.show();
}

void CDBView::showRoutingView()
{
    m_stack->setCurrentWidget(m_routingTree);
    if (App().TreeRebuildFlag) {
        m_assemblyTree->clear();
        m_routingTree->clear();
        App().TreeRebuildFlag = false;
    }
    m_graph.load();
    CycleReport cycles;
    m_graph.findCycles(cycles);
    refreshTree(m_routingTree);
    if (m_currentAssembly.isEmpty() && m_routingTree->topLevelItemCount() > 0)
        m_currentAssembly = m_routingTree->topLevelItem(0)->text(0);
    cycles.show();
}

bool CDBView::findInTree(const QString& text)
{
    QTreeWidget* tree = m_stack->currentWidget() == m_routingTree ? m_routingTree : m_assemblyTree;
    if (tree->topLevelItemCount() == 0 && m_graph.lookup().names().isEmpty())
        return false;
    // The same text again goes on to its next match, and round to the first.
    const QString wanted = text.trimmed();
    const QString after = wanted == m_lastSearch ? m_lastFound : QString();
    QString assembly = FindTreeAssembly(m_graph, wanted, after);
    if (assembly.isEmpty() && !after.isEmpty())
        assembly = FindTreeAssembly(m_graph, wanted);
    const QStringList path = m_graph.pathTo(assembly);
    if (path.isEmpty())
        return false;
    m_lastSearch = wanted;
    m_lastFound = assembly;
    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < tree->topLevelItemCount() && !item; ++i)
        if (tree->topLevelItem(i)->text(0) == path.first())
            item = tree->topLevelItem(i);
    for (int k = 1; k < path.size() && item; ++k) {
        item->setExpanded(true); // fills the branch
        QTreeWidgetItem* below = nullptr;
        for (int c = 0; c < item->childCount() && !below; ++c)
            if (item->child(c)->data(0, kRolePart).toString() == path[k] && item->child(c)->data(0, kRoleOpens).toBool())
                below = item->child(c);
        item = below;
    }
    if (!item)
        return false;
    // A part is shown on its line in the bill found.
    if (wanted.compare(assembly, Qt::CaseInsensitive) != 0) {
        item->setExpanded(true);
        for (int c = 0; c < item->childCount(); ++c)
            if (item->child(c)->data(0, kRolePart).toString().compare(wanted, Qt::CaseInsensitive) == 0) {
                item = item->child(c);
                break;
            }
    }
    tree->setCurrentItem(item);
    tree->scrollToItem(item);
    return true;
}

void CDBView::selectionChanged(QTreeWidget* tree)
{
    const QTreeWidgetItem* item = tree->currentItem();
    if (!item)
        return;
    const QString assembly = item->data(0, kRoleAssembly).toString();
    const bool isStep = item->data(0, kRoleIsStep).toBool();
    m_selectedAssembly = assembly;
    m_currentAssembly = assembly;
    if (isStep) {
        m_selection = Selection::Step;
        m_selectedStep = item->data(0, kRoleStep).toString();
        m_step = LoadStepDetails(assembly, m_selectedStep);
        Q_EMIT showAssemblyRow(-1, assembly, m_selectedStep);
    } else {
        m_selection = Selection::Part;
        const QString part = item->data(0, kRolePart).toString();
        m_selectedPart = part.isEmpty() ? assembly : part;
        m_part = LoadPartDetails(m_selectedPart);
        static_cast<DetailsArea*>(m_details)->fitSources(m_part.sources.size());
        if (tree == m_routingTree) {
            // A sub-assembly under its parent has routing steps of its own:
            // Insert on the routing table adds them to it, not to the parent.
            const QString routed = part.isEmpty() ? assembly : part;
            m_currentAssembly = routed;
            Q_EMIT showAssemblyRow(-1, routed, QString());
        } else {
            Q_EMIT showAssemblyRow(-1, assembly, assembly);
        }
    }
    showLastChanges();
}

void CDBView::showTreeMenu(QTreeWidget* tree, const QPoint& position)
{
    const bool bom = tree == m_assemblyTree;
    QMenu menu(this);
    // The grid numbers its record commands differently for the bill table.
    const std::vector<std::pair<QString, int>> entries =
        bom ? std::vector<std::pair<QString, int>>{{QStringLiteral("Insert"), 0},
                                                   {QStringLiteral("Add Assy"), 1},
                                                   {QStringLiteral("Delete"), 2},
                                                   {QStringLiteral("Reload"), 3}}
            : std::vector<std::pair<QString, int>>{
                  {QStringLiteral("Insert"), 0}, {QStringLiteral("Delete"), 1}, {QStringLiteral("Reload"), 2}};
    for (const auto& [text, command] : entries) {
        const int number = command;
        menu.addAction(Translate(text), this, [this, number] { Q_EMIT recordCommand(number); });
    }
    if (bom && m_selection == Selection::Part && !m_selectedPart.isEmpty() && HasWindowAction(WindowActions::WhereUsed)) {
        const QString part = m_selectedPart;
        menu.addSeparator();
        menu.addAction(Translate(QStringLiteral("Where Used...")), this,
                       [this, part] { RunWindowAction(WindowActions::WhereUsed, this, {part}); });
    }
    menu.exec(tree->viewport()->mapToGlobal(position));
}
