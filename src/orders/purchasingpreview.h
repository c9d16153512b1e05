#pragma once
// The purchasing preview of the Order dialog: for each purchased part what
// "Process" would allocate and order, and the purchase orders it would
// write, shown before anything is written.
#include "orders/requirement.h"

#include <QDialog>

class QLabel;
class QTableWidget;

class CPurchasingPreview : public QDialog
{
    Q_OBJECT
public:
    CPurchasingPreview(const QString& orderNumber, const QString& assembly, double quantity,
                       const PurchasingPlan& plan, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    QLabel* orders() const { return m_orders; }
    // Says under the orders whether the build makes its need date; empty
    // shows nothing.
    void setScheduleNote(const QString& note);
    QLabel* scheduleNote() const { return m_scheduleNote; }

private:
    QTableWidget* m_table = nullptr;
    QLabel* m_orders = nullptr;
    QLabel* m_scheduleNote = nullptr;
};
