#include "orders/purchaseorderdialog.h"

#include "controls/artwork.h"
#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "core/windowhooks.h"
#include "controls/printjob.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/stockledger.h"
#include "db/serveraccess.h"
#include "grid/smallgrid.h"
#include "orders/poprint.h"
#include "orders/receipt.h"
#include "orders/requirements.h"

#include <QComboBox>
#include <algorithm>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const char* const kItemCaptions[kItemAllColumns] = {"Item",  "Quan",   "Part",       "Description", "Price",
                                                    "Total", "Status", "Order Code", "Received"};
// Line number and total are worked out, the status is a fixed choice; what
// was received is written by receiving only.
const char* const kItemModes[kItemAllColumns] = {"READ", "EDIT", "EDIT", "EDIT", "EDIT", "READ",
                                                 "DROP/Drop/Pending/Placed/Back Order/Partial/Received", "EDIT",
                                                 "READ"};
constexpr int kButtonPrint = 1001;
constexpr int kButtonWww = 1002;
constexpr int kButtonReceive = 1003;
constexpr int kButtonCart = 1004;
constexpr int kButtonOk = 1;
constexpr int kButtonCancel = 2;

// A field's caption with its icon in front.
QWidget* fieldLabel(const QString& text, int icon)
{
    constexpr int kIconSize = 24;
    auto* picture = new QLabel;
    picture->setPixmap(QPixmap::fromImage(ArtworkCell(kArtFieldIcons, icon)
                                              .scaled(kIconSize, kIconSize, Qt::KeepAspectRatio,
                                                      Qt::SmoothTransformation)));
    picture->setFixedSize(kIconSize, kIconSize);
    if (text.isEmpty())
        return picture;
    auto* box = new QWidget;
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    row->addWidget(picture);
    row->addWidget(new QLabel(text));
    row->addStretch();
    return box;
}

} // namespace

CPurchaseOrder::CPurchaseOrder(const QString& number, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Purchase Order")));
    ApplyDarkLook(this);
    m_filling = true;
    m_record = LoadPurchaseOrder(number);

    auto edit = [] { return new QLineEdit; };
    m_date = edit();
    m_date->setReadOnly(true);
    m_value = edit();
    m_currency = new QComboBox;
    m_currency->setEditable(true);
    m_status = new QComboBox;
    m_status->setObjectName(QStringLiteral("status"));
    m_buyer = edit();
    m_method = new QComboBox;
    m_method->setEditable(true);
    m_vendor = new QComboBox;
    m_vendor->setEditable(true);
    m_vendorAddress = new QPlainTextEdit;
    m_phone = edit();
    m_fax = edit();
    m_contact = edit();
    m_email = edit();
    m_shipper = new QComboBox;
    m_shipper->setEditable(true);
    m_shippingAddress = new QPlainTextEdit;
    m_shippingCost = edit();
    m_shippingCost->setObjectName(QStringLiteral("Shipping_Cost"));
    m_tracking = edit();
    // No need date shows as none, not as today: the blank is the lowest value.
    m_needDate = new QDateTimeEdit;
    m_needDate->setCalendarPopup(true);
    m_needDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_needDate->setMinimumDateTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)));
    m_needDate->setSpecialValueText(QStringLiteral(" "));
    m_needDate->setDateTime(m_needDate->minimumDateTime());
    m_notes = new QPlainTextEdit;
    m_taxRate = edit();
    for (QPlainTextEdit* text : {m_vendorAddress, m_shippingAddress, m_notes})
        text->setFixedHeight(60);

    m_currency->addItems(PurchaseChoiceList(QStringLiteral("Curr")));
    m_method->addItems(PurchaseChoiceList(QStringLiteral("Method")));
    m_status->addItems(PurchaseChoiceList(QStringLiteral("Status")));
    m_vendor->addItems(VendorNames());

    auto label = [](const char* text) { return Translate(QString::fromLatin1(text)); };
    m_topBox = new QGroupBox;
    auto* top = new QGridLayout(m_topBox);
    top->addWidget(m_date, 0, 0, 1, 2);
    top->addWidget(fieldLabel(label("Value"), kFieldMoney), 1, 0);
    auto* valueRow = new QHBoxLayout;
    valueRow->addWidget(m_value);
    valueRow->addWidget(m_currency);
    top->addLayout(valueRow, 1, 1);
    top->addWidget(fieldLabel(label("Status"), kFieldNumber), 2, 0);
    top->addWidget(m_status, 2, 1);
    top->addWidget(fieldLabel(label("Buyer"), kFieldUser), 3, 0);
    top->addWidget(m_buyer, 3, 1);
    top->addWidget(fieldLabel(label("Method"), kFieldDocument), 4, 0);
    top->addWidget(m_method, 4, 1);
    top->addWidget(fieldLabel(label("Need Date"), kFieldCalendar), 5, 0);
    top->addWidget(m_needDate, 5, 1);
    top->addWidget(fieldLabel(label("Tax Rate %"), kFieldPercent), 6, 0);
    top->addWidget(m_taxRate, 6, 1);

    auto* vendorBox = new QGroupBox(label("Vendor"));
    auto* vendorForm = new QFormLayout(vendorBox);
    vendorForm->addRow(m_vendor);
    vendorForm->addRow(fieldLabel(label("Address"), kFieldAddress), m_vendorAddress);
    vendorForm->addRow(fieldLabel(label("Contact"), kFieldUser), m_contact);
    vendorForm->addRow(fieldLabel(label("Phone"), kFieldPhone), m_phone);
    vendorForm->addRow(fieldLabel(label("Fax"), kFieldFax), m_fax);
    vendorForm->addRow(fieldLabel(label("EMail"), kFieldWeb), m_email);

    auto* shippingBox = new QGroupBox(label("Shipping"));
    auto* shippingForm = new QFormLayout(shippingBox);
    shippingForm->addRow(m_shipper);
    shippingForm->addRow(fieldLabel(label("Address"), kFieldAddress), m_shippingAddress);
    shippingForm->addRow(fieldLabel(label("Shipping Cost"), kFieldMoney), m_shippingCost);
    shippingForm->addRow(fieldLabel(label("Tracking"), kFieldTruck), m_tracking);

    auto* notesBox = new QGroupBox(label("Notes"));
    auto* notesLayout = new QHBoxLayout(notesBox);
    notesLayout->addWidget(fieldLabel(QString(), kFieldNote), 0, Qt::AlignTop);
    notesLayout->addWidget(m_notes);

    m_grid = new CSmallGrid;
    m_grid->setObjectName(QStringLiteral("items"));
    m_grid->setMinimumHeight(180);
    {
        QStringList captions, modes;
        for (int c = 0; c < kItemAllColumns; ++c) {
            captions << Translate(QString::fromLatin1(kItemCaptions[c]));
            modes << QString::fromLatin1(kItemModes[c]);
        }
        m_grid->record().setColumns(captions, modes);
        m_grid->record().editable = true;
    }

    auto* receiveButton = new CImageButton(label("Receive"), 0, kButtonReceive, this);
    receiveButton->setObjectName(QStringLiteral("receive"));
    auto* printButton = new CImageButton(label("Print"), 0, kButtonPrint, this);
    auto* wwwButton = new CImageButton(label("WWW"), 0, kButtonWww, this);
    auto* cartButton = new CImageButton(label("Cart File"), 0, kButtonCart, this);
    cartButton->setObjectName(QStringLiteral("cart"));
    cartButton->setToolTip(Translate(QStringLiteral("The order as its vendor's cart-upload file")));
    auto* okButton = new CImageButton(label("OK"), 0, kButtonOk, this);
    okButton->setObjectName(QStringLiteral("ok"));
    // A read-only desk reads and prints the order; saving and receiving are off.
    if (DeskReadOnly()) {
        okButton->setEnabled(false);
        receiveButton->setEnabled(false);
        m_grid->record().editable = false;
    }
    auto* cancelButton = new CImageButton(label("Cancel"), 0, kButtonCancel, this);
    auto* buttons = new QVBoxLayout;
    for (CImageButton* b : {printButton, wwwButton, cartButton, receiveButton, okButton, cancelButton})
        buttons->addWidget(b);
    buttons->addStretch();

    auto* upper = new QHBoxLayout;
    upper->addWidget(m_topBox);
    upper->addWidget(vendorBox);
    upper->addWidget(shippingBox);
    auto* lower = new QHBoxLayout;
    lower->addWidget(m_grid, 1);
    lower->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    main->addLayout(upper);
    main->addWidget(notesBox);
    main->addLayout(lower, 1);

    showRecord();

    connect(m_grid, &CSmallGrid::command, this, [this](int command) {
        if (command == kCmdSmallGridTotal && !m_filling)
            recomputeTotals();
    });
    connect(m_shippingCost, &QLineEdit::textEdited, this, &CPurchaseOrder::recomputeTotals);
    connect(m_taxRate, &QLineEdit::textEdited, this, &CPurchaseOrder::recomputeTotals);
    connect(m_vendor, qOverload<int>(&QComboBox::activated), this, &CPurchaseOrder::vendorChosen);
    connect(m_status, qOverload<int>(&QComboBox::activated), this, &CPurchaseOrder::statusChosen);
    connect(m_needDate, &QDateTimeEdit::dateTimeChanged, this, [this] { m_needDateSet = true; });
    connect(printButton, &CImageButton::clicked, this, &CPurchaseOrder::print);
    connect(receiveButton, &CImageButton::clicked, this, [this] { receiveLine(); });
    connect(wwwButton, &CImageButton::clicked, this, &CPurchaseOrder::openWebsite);
    connect(cartButton, &CImageButton::clicked, this, &CPurchaseOrder::exportCart);
    connect(okButton, &CImageButton::clicked, this, &CPurchaseOrder::save);
    connect(cancelButton, &CImageButton::clicked, this, &CPurchaseOrder::reject);
    resize(980, 720);
}

std::vector<ItemRow> CPurchaseOrder::gridRows() const
{
    const SmallGridRecord& record = m_grid->record();
    std::vector<ItemRow> rows;
    rows.reserve(static_cast<size_t>(record.rowCount));
    for (int r = 0; r < record.rowCount; ++r) {
        ItemRow row;
        for (int c = 0; c < kItemAllColumns; ++c)
            row << record.cell(r, c);
        rows.push_back(row);
    }
    return rows;
}

void CPurchaseOrder::recomputeTotals()
{
    m_subtotal = m_grid->total();
    m_value->setText(Format("%0.2f", {OrderTotal(m_subtotal, m_taxRate->text(), m_shippingCost->text())}));
}

QMap<QString, QString> CPurchaseOrder::currentFields() const
{
    QMap<QString, QString> fields;
    fields[QStringLiteral("Vendor")] = m_vendor->currentText();
    fields[QStringLiteral("Vendor_Address")] = AddressForStorage(m_vendorAddress->toPlainText());
    fields[QStringLiteral("Contact_Name")] = m_contact->text();
    fields[QStringLiteral("Contact_Phone")] = m_phone->text();
    fields[QStringLiteral("Contact_FAX")] = m_fax->text();
    fields[QStringLiteral("Contact_EMAIL")] = m_email->text();
    fields[QStringLiteral("Shipper")] = m_shipper->currentText();
    fields[QStringLiteral("Shipping_Cost")] = m_shippingCost->text();
    fields[QStringLiteral("Tax_Rate")] = m_taxRate->text();
    fields[QStringLiteral("Shipping_Address")] = AddressForStorage(m_shippingAddress->toPlainText());
    fields[QStringLiteral("Tracking")] = m_tracking->text();
    fields[QStringLiteral("Buyer")] = m_buyer->text();
    fields[QStringLiteral("Date")] = m_date->text();
    fields[QStringLiteral("Buy_Method")] = m_method->currentText();
    fields[QStringLiteral("Status")] = m_status->currentText();
    fields[QStringLiteral("Currency")] = m_currency->currentText();
    // A need date never set, or shown as it is stored (an older order keeps
    // its time of day), stays as stored: an untouched dialog changes nothing.
    const QString storedNeed = m_record.value(QStringLiteral("Need_Date"));
    const bool needChosen = m_needDateSet && m_needDate->dateTime() > m_needDate->minimumDateTime();
    fields[QStringLiteral("Need_Date")] =
        needChosen && ParseTimestamp(storedNeed).date() != m_needDate->date()
            ? m_needDate->date().toString(QStringLiteral("yyyy-MM-dd"))
            : storedNeed;
    fields[QStringLiteral("Notes")] = m_notes->toPlainText();
    fields[QStringLiteral("Value")] = m_value->text();
    fields[QStringLiteral("Item_List")] = BuildItemList(gridRows());
    return fields;
}

void CPurchaseOrder::showStoredRecord()
{
    m_record = LoadPurchaseOrder(m_record.number);
    showRecord();
}

void CPurchaseOrder::showRecord()
{
    m_filling = true;
    m_needDateSet = false;
    const QString vendor = m_record.value(QStringLiteral("Vendor"));
    int vendorIndex = -1;
    for (int i = 0; i < m_vendor->count() && vendorIndex < 0; ++i)
        if (!vendor.isEmpty() && m_vendor->itemText(i).startsWith(vendor))
            vendorIndex = i;
    if (vendorIndex >= 0)
        m_vendor->setCurrentIndex(vendorIndex);
    else
        m_vendor->setEditText(vendor);
    m_vendorAddress->setPlainText(AddressForDisplay(m_record.value(QStringLiteral("Vendor_Address"))));
    m_contact->setText(m_record.value(QStringLiteral("Contact_Name")));
    m_phone->setText(m_record.value(QStringLiteral("Contact_Phone")));
    m_fax->setText(m_record.value(QStringLiteral("Contact_FAX")));
    m_email->setText(m_record.value(QStringLiteral("Contact_EMAIL")));
    m_shippingCost->setText(m_record.value(QStringLiteral("Shipping_Cost")));
    m_taxRate->setText(m_record.value(QStringLiteral("Tax_Rate")));
    m_shipper->setEditText(m_record.value(QStringLiteral("Shipper")));
    m_shippingAddress->setPlainText(AddressForDisplay(m_record.value(QStringLiteral("Shipping_Address"))));
    m_tracking->setText(m_record.value(QStringLiteral("Tracking")));
    m_buyer->setText(m_record.value(QStringLiteral("Buyer")));
    QString date = m_record.value(QStringLiteral("Date"));
    if (date.size() < 2)
        date = TimestampText();
    m_date->setText(date);
    const QString need = m_record.value(QStringLiteral("Need_Date"));
    if (need.size() > 5 && ParseTimestamp(need).isValid()) {
        m_needDate->setDateTime(ParseTimestamp(need));
        m_needDateSet = true;
    }
    const QString status = m_record.value(QStringLiteral("Status"));
    for (int i = 0; i < m_status->count(); ++i)
        if (!status.isEmpty() && m_status->itemText(i).startsWith(status)) {
            m_status->setCurrentIndex(i);
            break;
        }
    if (m_status->findText(status) < 0 && !status.isEmpty()) {
        m_status->addItem(status);
        m_status->setCurrentText(status);
    }
    m_currency->setEditText(m_record.value(QStringLiteral("Currency")));
    m_notes->setPlainText(m_record.value(QStringLiteral("Notes")));
    m_value->setText(m_record.value(QStringLiteral("Value")));
    m_method->setEditText(m_record.value(QStringLiteral("Buy_Method")));

    SmallGridRecord& lines = m_grid->record();
    const QStringList headings = lines.headings;
    const QStringList modes = lines.attributes;
    lines.setColumns(headings, modes);
    lines.editable = !DeskReadOnly();
    for (const ItemRow& row : ParseItemList(m_record.value(QStringLiteral("Item_List"))))
        lines.appendRow(row);
    m_status->setEnabled(!PurchaseOrderClosed(m_status->currentText()) && !DeskReadOnly());

    const QString order = m_record.value(QStringLiteral("Order_nBr"));
    m_topBox->setTitle(TranslateLabel(QStringLiteral("Purchase Order:")) + m_record.number
                       + (order.isEmpty() ? QString() : QLatin1Char('/') + order));
    // Filling the grid works out the line totals and the subtotal. Value
    // shows the order's total at once (an order written without it showed
    // nothing); it is stored with the next save.
    m_grid->Fill();
    m_grid->horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    m_subtotal = m_grid->total();
    m_value->setText(PurchaseOrderValue(gridRows(), m_taxRate->text(), m_shippingCost->text()));
    m_shownAtOpening = m_record;
    m_shownAtOpening.loaded[QStringLiteral("Value")] = m_value->text();
    m_shownAtOpening.loadedValue = TextToDouble(m_value->text());
    m_filling = false;
}

void CPurchaseOrder::save()
{
    m_grid->Commit();
    const QMap<QString, QString> fields = currentFields();
    // A refused write (reported) keeps the dialog open with the edits on it;
    // an order another desk changed meanwhile is shown again as it is now.
    bool stale = false;
    if (SavePurchaseOrderFields(m_record, fields, false)
        && !SavePurchaseOrderFields(m_record, fields, true, nullptr, &stale)) {
        if (stale)
            showStoredRecord();
        return;
    }
    QDialog::accept();
}

void CPurchaseOrder::reject()
{
    m_grid->Commit();
    // Only the user's own edits count: the total worked out at opening is not one.
    if (!SavePurchaseOrderFields(m_shownAtOpening, currentFields(), false)) {
        QDialog::reject();
        return;
    }
    if (ShowMessage(QStringLiteral("Quit without Saving"), QStringLiteral("Purchase Order"), kButtonsYesNoCancel)
        == kAnswerYes)
        QDialog::reject();
}

void CPurchaseOrder::exportCart()
{
    m_grid->Commit();
    // The file is made from the stored order, which the vendor is sent.
    if (SavePurchaseOrderFields(m_shownAtOpening, currentFields(), false)) {
        ShowMessage(Translate(QStringLiteral("Save the order first: the cart file is made from the saved order.")),
                    Translate(QStringLiteral("Purchase Order")));
        return;
    }
    RunWindowAction(WindowActions::CartExport, this, {m_record.number});
}

void CPurchaseOrder::vendorChosen()
{
    const VendorContact contact = LookupVendor(m_vendor->currentText());
    m_vendorAddress->setPlainText(contact.address);
    m_phone->setText(contact.phone);
    m_fax->setText(contact.fax);
}

void CPurchaseOrder::statusChosen()
{
    if (m_status->currentText() != QLatin1String("Closed"))
        return;
    const int answer =
        ShowMessage(QStringLiteral("Move Material to Stock?"), QStringLiteral("Purchase Order"), kButtonsYesNoCancel);
    if (answer == kAnswerCancel)
        return;
    m_grid->Commit();
    m_status->setCurrentIndex(m_status->count() - 1);
    // Stock, the order's lines ("Received"), its fields and On_Order are
    // written as one; a refusal (reported) leaves the dialog open, showing
    // the status still stored, so that "OK" cannot close it unreceived.
    bool stale = false;
    if (!ClosePurchaseOrder(m_record, currentFields(), answer == kAnswerYes, &stale)) {
        if (stale)
            showStoredRecord();
        else
            m_status->setCurrentText(m_record.value(QStringLiteral("Status")));
        return;
    }
    QDialog::accept();
}

void CPurchaseOrder::openWebsite()
{
    const QString site = VendorWebsite(m_vendor->currentText());
    if (site.isEmpty()) {
        ShowMessage(QStringLiteral("No Website Entered"));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromUserInput(site));
}

PurchaseOrderPrintData CPurchaseOrder::printData() const
{
    PurchaseOrderPrintData printout;
    printout.number = m_record.number;
    printout.vendor = m_vendor->currentText();
    printout.vendorAddress = m_vendorAddress->toPlainText();
    printout.contact = m_contact->text();
    printout.phone = m_phone->text();
    printout.fax = m_fax->text();
    printout.email = m_email->text();
    printout.shippingAddress = m_shippingAddress->toPlainText();
    printout.shipper = m_shipper->currentText();
    printout.date = m_date->text();
    printout.needDate = m_needDate->dateTime() > m_needDate->minimumDateTime()
                            ? m_needDate->date().toString(QStringLiteral("yyyy-MM-dd"))
                            : QString();
    printout.buyer = m_buyer->text();
    printout.method = m_method->currentText();
    printout.currency = m_currency->currentText();
    printout.notes = m_notes->toPlainText();
    printout.taxRate = m_taxRate->text();
    printout.shippingCost = m_shippingCost->text();
    printout.rows = gridRows();
    return printout;
}

void CPurchaseOrder::print()
{
    m_grid->Commit();
    const QString unpriced = ZeroPriceWarning(gridRows());
    if (!unpriced.isEmpty()
        && ShowMessage(unpriced + QLatin1Char('\n') + Translate(QStringLiteral("Print anyway?")),
                       Translate(QStringLiteral("Purchase Order")), kButtonsYesNo)
               != kAnswerYes)
        return;
    const PurchaseOrderPrintData printout = printData();
    PrintJob job;
    job.documentName = PurchaseOrderDocumentName(m_record.number);
    job.pdfMarginMm = 12;
    job.paint = [&printout](QPagedPaintDevice& device) { return PaintPurchaseOrder(&device, printout) > 0; };
    RunPrintJob(this, job);
}

void CPurchaseOrder::receiveLine(int row, double quantity)
{
    m_grid->Commit();
    if (row < 0) {
        const QList<int> selected = m_grid->selectedRowNumbers();
        row = selected.isEmpty() ? m_grid->currentRow() : selected.front();
    }
    const std::vector<ItemRow> rows = gridRows();
    if (row < 0 || row >= static_cast<int>(rows.size()) || rows[static_cast<size_t>(row)][kItemPart].isEmpty()) {
        ShowMessage(Translate(QStringLiteral("Choose the line to receive.")), Translate(QStringLiteral("Purchase Order")));
        return;
    }
    // Receiving writes the stored lines; edits not yet saved would be lost
    // under it or overwrite it.
    if (BuildItemList(rows) != BuildItemList(ParseItemList(m_record.value(QStringLiteral("Item_List"))))) {
        ShowMessage(Translate(QStringLiteral("Save the order before receiving a line.")),
                    Translate(QStringLiteral("Purchase Order")));
        return;
    }
    const ItemRow& line = rows[static_cast<size_t>(row)];
    if (quantity <= 0) {
        bool ok = false;
        const double open = ItemOpenQuantity(line);
        quantity = QInputDialog::getInt(this, Translate(QStringLiteral("Receive")),
                                        line[kItemPart] + QStringLiteral("  ") + TranslateLabel(QStringLiteral("Quantity:")),
                                        static_cast<int>(std::max(1.0, open)), 1, 1000000000, 1, &ok);
        if (!ok)
            return;
    }
    if (ReceivePurchaseOrderPart(m_record.number, line[kItemPart], quantity) != ReceiptOutcome::Received)
        return;
    // Show the lines as stored now; the rest of the dialog keeps its edits.
    const PurchaseOrderRecord stored = LoadPurchaseOrder(m_record.number);
    const QString items = stored.value(QStringLiteral("Item_List"));
    // The receipt is this desk's own change: its lines and stamp are what
    // the next save compares with.
    for (const QString& field : {QStringLiteral("Item_List"), QStringLiteral("User"), QStringLiteral("Time_Stamp")}) {
        m_record.loaded[field] = stored.value(field);
        m_shownAtOpening.loaded[field] = stored.value(field);
    }
    m_filling = true;
    SmallGridRecord& record = m_grid->record();
    const QStringList headings = record.headings;
    const QStringList modes = record.attributes;
    record.setColumns(headings, modes);
    record.editable = true;
    for (const ItemRow& r : ParseItemList(items))
        record.appendRow(r);
    m_grid->Fill();
    m_filling = false;
}
