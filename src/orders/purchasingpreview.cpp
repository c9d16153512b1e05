#include "orders/purchasingpreview.h"

#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/quantity.h"
#include "sourcing/pricing.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

CPurchasingPreview::CPurchasingPreview(const QString& orderNumber, const QString& assembly, double quantity,
                                       const PurchasingPlan& plan, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Purchasing Preview")));
    ApplyDarkLook(this);

    auto* heading = new QLabel(orderNumber + QStringLiteral(":  ") + PlainNumber(quantity) + QStringLiteral(" x ")
                               + assembly + QStringLiteral("   ")
                               + Translate(QStringLiteral("Nothing has been written yet.")));
    const char* const captions[] = {"Part",  "Need",           "Stock",          "Allocated",  "Available",
                                    "Order", "Order with Loss", "Vendor",        "Purchase Order", "to min stock",
                                    "Order Quantity", "Order Code", "Unit Price", "Total",      "Currency",
                                    "Runner-up", "Problem"};
    QStringList headers;
    for (const char* caption : captions)
        headers << Translate(QString::fromLatin1(caption));
    m_table = new QTableWidget(static_cast<int>(plan.parts.size()), static_cast<int>(headers.size()));
    m_table->setObjectName(QStringLiteral("preview"));
    m_table->setHorizontalHeaderLabels(headers);
    m_table->verticalHeader()->setVisible(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (int r = 0; r < static_cast<int>(plan.parts.size()); ++r) {
        const PlannedPart& part = plan.parts[static_cast<size_t>(r)];
        const bool bought = !part.purchaseOrder.isEmpty();
        const QString cells[] = {part.part,
                                 PlainNumber(part.need),
                                 PlainNumber(part.stock),
                                 PlainNumber(part.allocated),
                                 PlainNumber(part.available),
                                 PlainNumber(part.order),
                                 PlainNumber(part.orderWithLoss),
                                 part.vendor,
                                 part.purchaseOrder,
                                 PlainNumber(part.toMinStock),
                                 bought ? PlainNumber(part.orderQuantity) : QString(),
                                 bought ? part.orderCode : QString(),
                                 bought ? ShownPrice(part.unitPrice) : QString(),
                                 bought ? ShownPrice(part.total) : QString(),
                                 bought ? part.currency : QString(),
                                 part.runnerUp,
                                 part.problem};
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            // Figures line up on the right, names on the left.
            if ((c >= 1 && c <= 6) || (c >= 9 && c <= 13 && c != 11))
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 16 && !cells[c].isEmpty())
                item->setForeground(QColor(220, 60, 60));
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setStretchLastSection(true);

    QStringList orderLines;
    for (const PlannedOrder& order : plan.orders)
        orderLines << PurchaseOrderStatusLine(order);
    if (orderLines.isEmpty())
        orderLines << Translate(QStringLiteral("No purchase order would be written."));
    // What cannot be bought is said here, not dropped.
    const QStringList problems = ProblemLines(plan);
    if (!problems.isEmpty())
        orderLines << TranslateLabel(QStringLiteral("Not ordered, or a source left out:")) + QLatin1Char(' ') + problems.join(QStringLiteral("; "));
    m_orders = new QLabel((plan.warnings + plan.notes + orderLines).join(QLatin1Char('\n')));
    m_orders->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ok = new CImageButton(Translate(QStringLiteral("OK")), 0, 1, nullptr);
    connect(ok, &CImageButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* main = new QVBoxLayout(this);
    main->addWidget(heading);
    main->addWidget(m_table, 1);
    main->addWidget(m_orders);
    main->addLayout(buttons);
    resize(1200, 480);
}

void CPurchasingPreview::setScheduleNote(const QString& note)
{
    if (!m_scheduleNote) {
        m_scheduleNote = new QLabel;
        m_scheduleNote->setObjectName(QStringLiteral("scheduleNote"));
        m_scheduleNote->setStyleSheet(QStringLiteral("color: #ff6050; font-weight: bold"));
        if (auto* main = qobject_cast<QVBoxLayout*>(layout()))
            main->insertWidget(main->indexOf(m_orders) + 1, m_scheduleNote);
    }
    m_scheduleNote->setText(note);
    m_scheduleNote->setVisible(!note.isEmpty());
}
