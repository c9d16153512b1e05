#include "partinfo/epartinfo.h"

#include "controls/drawing.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/userinterface.h"
#include "partinfo/offerstable.h"
#include "partinfo/partinfo.h"
#include "partinfo/partservice.h"
#include "partinfo/sourcerefresh.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QColor kListText(128, 255, 255);

// The service's whole answer is shown on every request; an answer runs to
// hundreds of lines, so long texts get a box that scrolls. Everything else
// goes to the interface in force.
class ScrollingMessages final : public UserInterface
{
public:
    ScrollingMessages(QWidget* parent, bool active)
        : m_parent(parent), m_previous(CurrentInterface()), m_active(active)
    {
        if (m_active)
            SetUserInterface(this);
    }
    ~ScrollingMessages() override
    {
        if (m_active)
            SetUserInterface(&m_previous);
    }

    int showMessage(const QString& text, const QString& caption, int buttons, int alignment) override
    {
        if (buttons != kButtonsOk || (text.count(QLatin1Char('\n')) < 20 && text.size() < 1500))
            return m_previous.showMessage(text, caption, buttons, alignment);
        CDarkDialog box(m_parent, kBackgroundDark);
        box.setWindowTitle(caption);
        auto* layout = new QVBoxLayout(&box);
        auto* view = new QPlainTextEdit(text, &box);
        view->setReadOnly(true);
        view->setLineWrapMode(QPlainTextEdit::NoWrap);
        view->setFont(QFont(QStringLiteral("Monospace"), 9));
        layout->addWidget(view);
        auto* ok = new CImageButton(QStringLiteral("OK"), 0, 1, &box);
        QObject::connect(ok, &QAbstractButton::clicked, &box, &QDialog::accept);
        layout->addWidget(ok, 0, Qt::AlignRight);
        box.resize(640, 480);
        box.exec();
        return kAnswerOk;
    }
    void progressOpen(const QString& c, int mn, int mx) override { m_previous.progressOpen(c, mn, mx); }
    void progressCaption(const QString& c) override { m_previous.progressCaption(c); }
    void progressRange(int mn, int mx) override { m_previous.progressRange(mn, mx); }
    void progressPosition(int p) override { m_previous.progressPosition(p); }
    void progressClose() override { m_previous.progressClose(); }

private:
    QWidget* m_parent;
    UserInterface& m_previous;
    bool m_active;
};

QString tr8(const char* text)
{
    return Translate(QString::fromLatin1(text));
}

void styleList(QTableWidget* list)
{
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(22);
    list->setWordWrap(false);
    list->setTextElideMode(Qt::ElideRight);
    list->horizontalHeader()->setHighlightSections(false);
    list->setStyleSheet(QStringLiteral(
        "QTableWidget { background: black; color: rgb(128,255,255); gridline-color: rgb(70,70,70);"
        " selection-background-color: rgb(0,90,120); selection-color: white; }"
        "QHeaderView::section { background: rgb(60,60,60); color: white; border: 1px solid rgb(90,90,90);"
        " padding: 2px; }"
        "QTableWidget::indicator { background: rgb(40,40,40); border: 1px solid rgb(128,255,255); }"
        "QTableWidget::indicator:checked { background: rgb(128,255,255); }"));
}

// Rows of the details list past the service's fields.
constexpr int kDistributorRow = kPartInfoFields;
constexpr int kOrderCodeRow = kPartInfoFields + 1;
constexpr int kDetailRows = kPartInfoFields + 2;

QTableWidgetItem* cellItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setForeground(kListText);
    item->setToolTip(text);
    return item;
}

} // namespace

CEPartInfo::CEPartInfo(QWidget* parent, const QString& searchText, int partId, const QString& serviceAddress)
    : CDarkDialog(parent, kBackgroundDark)
    , m_serviceAddress(serviceAddress.isEmpty() ? PartServiceAddress() : NormalizeServiceAddress(serviceAddress))
    , m_partId(partId)
{
    setWindowTitle(tr8("Electronic Part Information"));

    auto* layout = new QVBoxLayout(this);
    auto* searchRow = new QHBoxLayout;
    m_searchText = new QLineEdit(searchText, this);
    m_searchText->setStyleSheet(QStringLiteral("QLineEdit { padding: 4px; font-size: 11pt; }"));
    auto* searchButton = new CImageButton(QStringLiteral("Search"), 0, 1094, this);
    searchRow->addWidget(m_searchText, 1);
    searchRow->addWidget(searchButton);
    layout->addLayout(searchRow);

    m_matches = new QTableWidget(this);
    m_details = new QTableWidget(this);
    setUpLists();
    layout->addWidget(m_matches, 5);
    layout->addWidget(m_details, 3);
    m_offers = new COffersTable(this);
    m_offers->setStyleSheet(m_matches->styleSheet());
    layout->addWidget(m_offers, 3);

    auto* bottom = new QHBoxLayout;
    auto* powered = new QLabel(tr8("Powered by Octapart"), this);
    powered->setToolTip(m_serviceAddress);
    m_status = new QLabel(this);
    auto* readPdfButton = new CImageButton(QStringLiteral("Read PDF"), 0, 1093, this);
    auto* transferButton = new CImageButton(QStringLiteral("Transfer"), 0, 1096, this);
    const QString target = PartNumberOfRow(m_partId);
    if (!target.isEmpty())
        transferButton->setToolTip(tr8("Writes the checked values into part %1").arg(target));
    auto* okButton = new CImageButton(QStringLiteral("OK"), 0, 1, this);
    bottom->addWidget(powered);
    bottom->addWidget(m_status, 1);
    bottom->addWidget(readPdfButton);
    bottom->addWidget(transferButton);
    bottom->addWidget(okButton);
    layout->addLayout(bottom);

    connect(searchButton, &QAbstractButton::clicked, this, &CEPartInfo::search);
    connect(m_searchText, &QLineEdit::returnPressed, this, &CEPartInfo::search);
    connect(m_matches, &QTableWidget::cellClicked, this, [this](int row, int) { showMatch(row); });
    connect(readPdfButton, &QAbstractButton::clicked, this, &CEPartInfo::readPdf);
    connect(transferButton, &QAbstractButton::clicked, this, &CEPartInfo::transfer);
    connect(okButton, &QAbstractButton::clicked, this, &QDialog::accept);
    resize(920, 640);
}

void CEPartInfo::setUpLists()
{
    styleList(m_matches);
    QStringList headings;
    for (int i = 0; i < kPartInfoReadFields; ++i)
        headings << tr8(kPartInfoNames[i]);
    headings << QStringLiteral("uid");
    m_matches->setColumnCount(int(headings.size()));
    m_matches->setHorizontalHeaderLabels(headings);
    for (int c = 0; c < int(headings.size()); ++c)
        m_matches->setColumnWidth(c, 12 * int(headings[c].size()) + 24);
    m_matches->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    styleList(m_details);
    m_details->setColumnCount(2);
    m_details->setHorizontalHeaderLabels({tr8("Column"), tr8("Value")});
    m_details->setColumnWidth(0, 12 * 14);
    m_details->horizontalHeader()->setStretchLastSection(true);
    // The service's fields, then where the part is bought, typed here.
    m_details->setRowCount(kDetailRows);
    for (int r = 0; r < kDetailRows; ++r) {
        QTableWidgetItem* name = cellItem(r == kDistributorRow ? tr8("Distributor")
                                          : r == kOrderCodeRow ? tr8("Order Code")
                                                               : tr8(kPartInfoNames[r]));
        name->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        name->setCheckState(Qt::Unchecked);
        m_details->setItem(r, 0, name);
        QTableWidgetItem* value = cellItem(QString());
        if (r >= kPartInfoFields)
            value->setFlags(value->flags() | Qt::ItemIsEditable);
        m_details->setItem(r, 1, value);
    }
    // Typing a distributor or an order code means it is to be written.
    connect(m_details, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == 1 && item->row() >= kPartInfoFields && !item->text().trimmed().isEmpty())
            m_details->item(item->row(), 0)->setCheckState(Qt::Checked);
    });
}

void CEPartInfo::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_searchedOnOpen) {
        m_searchedOnOpen = true;
        // After the window is on screen, so the user sees what is being waited for.
        QMetaObject::invokeMethod(this, &CEPartInfo::search, Qt::QueuedConnection);
    }
}

void CEPartInfo::search()
{
    m_searchedOnOpen = true;
    m_status->setText(tr8("Searching..."));
    m_status->repaint();
    std::vector<PartMatch> matches;
    {
        ScrollingMessages messages(this, m_scrollingResponses);
        matches = SearchParts(m_serviceAddress, m_searchText->text());
    }
    fillMatches(matches);
    if (matches.empty())
        m_status->setText(tr8("No parts found for %1").arg(m_searchText->text().trimmed()));
    else
        m_status->clear();
    const QStringList problems = m_offers->fill(m_searchText->text());
    if (!problems.isEmpty())
        m_status->setText(problems.join(QStringLiteral("; ")));
}

void CEPartInfo::fillMatches(const std::vector<PartMatch>& matches)
{
    m_matches->clearContents();
    m_matches->setRowCount(int(matches.size()));
    for (int r = 0; r < int(matches.size()); ++r) {
        for (int c = 0; c < kPartInfoReadFields; ++c)
            m_matches->setItem(r, c, cellItem(matches[r].fields[c]));
        m_matches->setItem(r, kPartInfoReadFields, cellItem(matches[r].uid));
    }
    // Part numbers, prices and uids are read whole or not at all; the other
    // columns keep their width and show the rest in their tips.
    for (const int c : {0, 2, kPartInfoReadFields}) {
        const int captionWidth = 12 * int(m_matches->horizontalHeaderItem(c)->text().size()) + 24;
        m_matches->resizeColumnToContents(c);
        m_matches->setColumnWidth(c, qBound(captionWidth, m_matches->columnWidth(c), 220));
    }
}

void CEPartInfo::showMatch(int row)
{
    if (row < 0 || row >= m_matches->rowCount())
        return;
    m_matches->selectRow(row);
    auto text = [this, row](int column) {
        const QTableWidgetItem* item = m_matches->item(row, column);
        return item ? item->text() : QString();
    };
    for (int r = 0; r < kPartInfoFields; ++r)
        m_details->item(r, 1)->setText(r < kPartInfoReadFields ? text(r) : QString());
    for (int r = 0; r < kPartInfoReadFields; ++r)
        m_details->item(r, 1)->setToolTip(text(r));

    m_status->setText(tr8("Fetching the datasheet..."));
    m_status->repaint();
    PartDatasheet datasheet;
    {
        ScrollingMessages messages(this, m_scrollingResponses);
        datasheet = FetchPartDatasheet(m_serviceAddress, text(kPartInfoReadFields), text(0));
    }
    m_status->clear();
    m_datasheetPath = datasheet.path;
    m_details->item(5, 1)->setText(datasheet.imageUrl);
    m_details->item(6, 1)->setText(datasheet.path.isEmpty() ? QString() : QFileInfo(datasheet.path).fileName());
    m_details->item(6, 1)->setToolTip(datasheet.path);
    // A datasheet fetched for the part is meant for its Datasheet cell.
    m_details->item(6, 0)->setCheckState(datasheet.path.isEmpty() ? Qt::Unchecked : Qt::Checked);
}

bool CEPartInfo::transfer()
{
    // A distributor's offer chosen in the list becomes a source of the part.
    if (const Offer* offer = m_offers->selectedOffer())
        return transferOffer(*offer);
    auto checked = [this](int r) { return m_details->item(r, 0)->checkState() == Qt::Checked; };
    auto value = [this](int r) { return m_details->item(r, 1)->text(); };
    PartInfoTransfer values;
    values.description = checked(1);
    values.descriptionText = value(1);
    values.price = checked(2);
    values.priceText = value(2);
    values.manufacturer = checked(3);
    values.manufacturerText = value(3);
    values.website = checked(4);
    values.websiteText = value(4);
    values.distributor = checked(kDistributorRow);
    values.distributorText = value(kDistributorRow);
    values.orderCode = checked(kOrderCodeRow);
    values.orderCodeText = value(kOrderCodeRow);
    values.datasheet = checked(6) && !m_datasheetPath.isEmpty();
    values.datasheetPath = m_datasheetPath;
    values.matchPartNumber = value(0);
    QString part;
    if (!TransferPartInfo(m_partId, values, &part))
        return false;
    m_changed = true;
    ShowMessage(tr8("The checked values were written to part %1.").arg(part), tr8("Electronic Part Information"));
    return true;
}

bool CEPartInfo::transferOffer(const Offer& offer)
{
    const QString part = PartNumberOfRow(m_partId);
    QString error;
    if (part.isEmpty() || !TransferOffer(part, offer, &error)) {
        ShowMessage(part.isEmpty() ? tr8("No part to write to.") : error, tr8("Electronic Part Information"));
        return false;
    }
    m_changed = true;
    ShowMessage(tr8("%1 %2 is a source of part %3 now.").arg(offer.distributor, offer.orderCode, part),
                tr8("Electronic Part Information"));
    return true;
}

void CEPartInfo::readPdf()
{
    if (m_datasheetPath.isEmpty() || !QFileInfo::exists(m_datasheetPath)) {
        ShowMessage(tr8("No datasheet has been downloaded."), tr8("Electronic Part Information"));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_datasheetPath)))
        ShowMessage(TranslateLabel(QStringLiteral("Cannot open the file:")) + QLatin1Char('\n') + m_datasheetPath,
                    tr8("Electronic Part Information"));
}
