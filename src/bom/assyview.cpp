#include "bom/assyview.h"

#include "bom/treepaint.h"
#include "controls/printjob.h"
#include "core/dictionary.h"

#include <QGridLayout>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

// The chart surface; painting goes through the window so one routine serves
// the screen and the printer.
class ChartCanvas final : public QWidget
{
public:
    explicit ChartCanvas(CAssyView* view) : QWidget(view), m_view(view)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMinimumSize(100, 100);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this); // Qt double-buffers the widget
        m_view->paintChart(painter, rect());
    }

private:
    CAssyView* m_view;
};

} // namespace

CAssyView::CAssyView(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Tree View")));
    setWindowFlags(Qt::Window);
    resize(806, 540);
    m_canvas = new ChartCanvas(this);
    m_horizontal = new QScrollBar(Qt::Horizontal, this);
    m_vertical = new QScrollBar(Qt::Vertical, this);
    // One unit is 10 pixels; a line or page moves 10 units across and 1 unit down.
    m_horizontal->setSingleStep(10);
    m_vertical->setSingleStep(1);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_canvas, 0, 0);
    grid->addWidget(m_vertical, 0, 1);
    grid->addWidget(m_horizontal, 1, 0);
    connect(m_horizontal, &QScrollBar::valueChanged, m_canvas, qOverload<>(&QWidget::update));
    connect(m_vertical, &QScrollBar::valueChanged, m_canvas, qOverload<>(&QWidget::update));
    setScrollRanges();
}

QPoint CAssyView::scrollOffset() const
{
    return QPoint(m_horizontal->value() * 10, m_vertical->value() * 10);
}

void CAssyView::paintChart(QPainter& painter, const QRect& client) const
{
    PaintTreeBackground(painter, client);
    PaintAssemblyTree(painter, m_layout, scrollOffset());
}

void CAssyView::buildTree()
{
    m_layout.printing = false;
    m_layout.printer = nullptr;
    m_layout.bodyFontHeight = 14;
    m_layout.build();
    setScrollRanges();
    m_canvas->update();
}

void CAssyView::setScrollRanges()
{
    const QSize client = m_canvas->size();
    m_horizontal->setRange(0, m_layout.maxRight / 10);
    m_horizontal->setPageStep(std::max(1, client.width() / 10));
    m_vertical->setRange(0, m_layout.maxBottom / 10);
    m_vertical->setPageStep(std::max(1, client.height() / 10));
}

void CAssyView::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    setScrollRanges();
}

void CAssyView::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    m_vertical->setValue(m_vertical->value() - steps * 3);
}

void CAssyView::print()
{
    PrintJob job;
    job.documentName = QStringLiteral("KOLT BOM Tree");
    if (!m_layout.selectedAssembly.isEmpty())
        job.suggestedFile = QStringLiteral("KOLT BOM Tree ") + m_layout.selectedAssembly;
    // The chart keeps its own margins from the edge of the page.
    job.pdfMarginMm = 0;
    job.paint = [this](QPagedPaintDevice& device) { return PrintAssemblyTree(m_layout, device); };
    RunPrintJob(this, job);
    // Back to screen metrics, so the window does not show the printer's layout.
    buildTree();
}
