#include "grid/frozencolumns.h"

#include "grid/gridheader.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>

CFrozenColumns::CFrozenColumns(QTableView* grid) : QTableView(grid), m_grid(grid)
{
    // The same heading row as the grid's, band included.
    if (auto* gridHeader = qobject_cast<CGridHeader*>(grid->horizontalHeader())) {
        auto* header = new CGridHeader(this);
        header->setBand(gridHeader->band());
        setHorizontalHeader(header);
    }
    setObjectName(QStringLiteral("frozenColumns"));
    setModel(grid->model());
    setSelectionModel(grid->selectionModel());
    setItemDelegate(grid->itemDelegate());
    // The keys stay with the grid: a click here is a click on the grid.
    setFocusPolicy(Qt::NoFocus);
    setFocusProxy(grid);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(grid->selectionBehavior());
    setSelectionMode(grid->selectionMode());
    setShowGrid(false);
    setWordWrap(false);
    setMouseTracking(true);
    setFrameStyle(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(grid->verticalScrollMode());
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->viewport()->stackUnder(this);

    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, grid->verticalScrollBar(), &QAbstractSlider::setValue);
    connect(grid->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(), &QAbstractSlider::setValue);
    hide();
}

void CFrozenColumns::setColumns(const std::vector<int>& columns)
{
    m_columns = columns;
    QHeaderView* header = horizontalHeader();
    const int count = model() ? model()->columnCount() : 0;
    for (int c = 0; c < count; ++c)
        setColumnHidden(c, !isFrozen(c));
    for (int i = 0; i < static_cast<int>(columns.size()); ++i)
        if (columns[static_cast<size_t>(i)] < count)
            header->moveSection(header->visualIndex(columns[static_cast<size_t>(i)]), i);
    follow();
}

bool CFrozenColumns::isFrozen(int column) const
{
    return std::find(m_columns.begin(), m_columns.end(), column) != m_columns.end();
}

int CFrozenColumns::frozenWidth() const
{
    int width = 0;
    for (int column : m_columns)
        width += m_grid->columnWidth(column);
    return width;
}

void CFrozenColumns::follow()
{
    // Until the grid scrolls sideways the same columns lie beneath, in place.
    const bool needed = !m_columns.empty() && m_grid->horizontalScrollBar()->value() > 0;
    if (needed != isVisible())
        setVisible(needed);
    if (!needed)
        return;
    QHeaderView* own = horizontalHeader();
    QHeaderView* grid = m_grid->horizontalHeader();
    for (int column : m_columns)
        if (own->sectionSize(column) != grid->sectionSize(column))
            own->resizeSection(column, grid->sectionSize(column));
    own->setSortIndicator(grid->sortIndicatorSection(), grid->sortIndicatorOrder());
    verticalHeader()->setDefaultSectionSize(m_grid->verticalHeader()->defaultSectionSize());
    own->setFixedHeight(grid->height());
    const QWidget* viewport = m_grid->viewport();
    setGeometry(viewport->x(), grid->y(), frozenWidth(), grid->height() + viewport->height());
    verticalScrollBar()->setValue(m_grid->verticalScrollBar()->value());
}

void CFrozenColumns::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const QModelIndex index = indexAt(point);
    Q_EMIT aboutToPress();
    QTableView::mousePressEvent(event);
    Q_EMIT cellPressed(index, point, event->button(), event->modifiers());
}

void CFrozenColumns::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    QTableView::mouseDoubleClickEvent(event);
    Q_EMIT cellDoubleClicked(indexAt(point), point);
}

void CFrozenColumns::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT cellHovered(event->position().toPoint());
    QTableView::mouseMoveEvent(event);
}
