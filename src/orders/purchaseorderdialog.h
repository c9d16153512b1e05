#pragma once
// The purchase-order dialog: header fields, vendor lookup, the item grid,
// totals with tax and shipping, printing and receiving.
#include "orders/purchaseorder.h"

#include <QDialog>
#include <QMap>

class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class CSmallGrid;
struct PurchaseOrderPrintData;

class CPurchaseOrder : public QDialog
{
    Q_OBJECT
public:
    explicit CPurchaseOrder(const QString& number, QWidget* parent = nullptr);

    // The texts of the fields as the dialog shows them now.
    QMap<QString, QString> currentFields() const;
    PurchaseOrderPrintData printData() const;
    double subtotal() const { return m_subtotal; }
    CSmallGrid* itemGrid() const { return m_grid; }

    void save();           // "OK"
    void statusChosen();   // receiving when "Closed" is picked
    void print();          // warns about lines priced 0.00 first
    void vendorChosen();
    // Receives a quantity of one line (the selected one when row < 0; asks
    // the quantity when it is 0) and shows the lines as stored then.
    void receiveLine(int row = -1, double quantity = 0);
    void reject() override; // "Cancel" and Esc


private:
    void recomputeTotals();
    // Fills every field and line from m_record.
    void showRecord();
    // Reads the order again and shows it as it is stored now.
    void showStoredRecord();
    std::vector<ItemRow> gridRows() const;
    void openWebsite();
    void exportCart();

    PurchaseOrderRecord m_record;
    PurchaseOrderRecord m_shownAtOpening; // m_record with the Value shown at opening
    double m_subtotal = 0;
    bool m_filling = false;
    QGroupBox* m_topBox = nullptr;
    QLineEdit* m_date = nullptr;
    QLineEdit* m_value = nullptr;
    QComboBox* m_currency = nullptr;
    QComboBox* m_status = nullptr;
    QLineEdit* m_buyer = nullptr;
    QComboBox* m_method = nullptr;
    QComboBox* m_vendor = nullptr;
    QPlainTextEdit* m_vendorAddress = nullptr;
    QLineEdit* m_phone = nullptr;
    QLineEdit* m_fax = nullptr;
    QLineEdit* m_contact = nullptr;
    QLineEdit* m_email = nullptr;
    QComboBox* m_shipper = nullptr;
    QPlainTextEdit* m_shippingAddress = nullptr;
    QLineEdit* m_shippingCost = nullptr;
    QLineEdit* m_tracking = nullptr;
    QDateTimeEdit* m_needDate = nullptr;
    bool m_needDateSet = false;
    QPlainTextEdit* m_notes = nullptr;
    QLineEdit* m_taxRate = nullptr;
    CSmallGrid* m_grid = nullptr;
};
