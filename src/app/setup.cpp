#include "app/setup.h"

#include "controls/artwork.h"
#include "controls/drawing.h"
#include "controls/imagebutton.h"
#include "core/appstate.h"
#include "core/dictionary.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

namespace {

Setup::FolderBrowser& folderBrowser()
{
    static Setup::FolderBrowser browser = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    return browser;
}

// Panel rectangles of the two frames.
const QRect kFilesFrame(12, 16, 596, 84);
const QRect kCompanyFrame(12, 124, 596, 292);

} // namespace

void Setup::SetFolderBrowser(FolderBrowser browser)
{
    folderBrowser() = std::move(browser);
}

Setup::Setup(QWidget* parent)
    : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Setup")));
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    setFixedSize(620, 500);
    addPanel(kFilesFrame, QString());
    addPanel(kCompanyFrame, QString());

    m_database = new CImageButton(QStringLiteral("Database"), 0, 1093, this);
    m_database->setGeometry(28, 34, 110, 48);
    m_folder = new QLineEdit(this);
    m_folder->setGeometry(152, 46, 440, 26);
    connect(m_database, &CImageButton::command, this, &Setup::browse);

    const int left = 64;
    const int right = 360;
    m_company = addLine(QRect(left, 160, 232, 26), QStringLiteral("Company Name"), kFieldCompany);
    m_ship = addText(QRect(left, 212, 232, 80), QStringLiteral("Ship Address"), kFieldAddress);
    m_phone = addLine(QRect(left, 318, 232, 26), QStringLiteral("Phone"), kFieldPhone);
    m_fax = addLine(QRect(left, 370, 232, 26), QStringLiteral("Fax"), kFieldFax);
    m_billing = addText(QRect(right, 160, 232, 80), QStringLiteral("Billing Address"), kFieldAddress);
    m_user = addLine(QRect(right, 266, 232, 26), QStringLiteral("User"), kFieldUser);
    m_currency = new QComboBox(this);
    m_currency->setGeometry(right, 318, 120, 26);
    addLabel(m_currency->geometry(), QStringLiteral("Currency"), kFieldCurrency);
    // The raw answers of the part lookup help whoever sets up the service;
    // everyone else would only have to click them away.
    m_serviceAnswers = new QCheckBox(Translate(QStringLiteral("Show service answers")), this);
    m_serviceAnswers->setGeometry(right, 370, 232, 26);
    // The box in the colours of the part lookup's own check boxes: the plain
    // style's box vanishes on the dark panel.
    m_serviceAnswers->setStyleSheet(QStringLiteral(
        "QCheckBox::indicator { width: 14px; height: 14px; background: rgb(32,32,32);"
        " border: 1px solid rgb(128,255,255); }"
        "QCheckBox::indicator:checked { background: rgb(128,255,255); }"));

    m_ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, this);
    m_ok->setGeometry(24, 434, 96, 48);
    m_cancel = new CImageButton(QStringLiteral("Cancel"), kIconCancel, 2, this);
    m_cancel->setGeometry(136, 434, 96, 48);
    connect(m_ok, &CImageButton::command, this, &Setup::save);
    connect(m_cancel, &CImageButton::command, this, &Setup::reject);
    m_languages = new QComboBox(this);
    m_languages->setGeometry(400, 445, 192, 26);
    auto* languageLabel = new QLabel(Translate(QStringLiteral("Language")), this);
    languageLabel->setGeometry(300, 445, 96, 26);
    languageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Fill the fields.
    const SetupValues values = CurrentSetupValues();
    m_user->setText(values.user);
    m_folder->setText(values.dataFolder);
    // The list offers the usual codes; a code stored from elsewhere stays in
    // the field (without a selection) so that OK does not erase it.
    m_currency->setEditable(true);
    m_currency->setInsertPolicy(QComboBox::NoInsert);
    m_currency->addItems(SetupCurrencies());
    m_currency->setCurrentIndex(-1);
    for (int i = 0; i < m_currency->count(); ++i)
        if (!values.currency.isEmpty() && m_currency->itemText(i).startsWith(values.currency)) {
            m_currency->setCurrentIndex(i);
            break;
        }
    if (m_currency->currentIndex() < 0)
        m_currency->setEditText(values.currency);
    m_billing->setPlainText(values.billingAddress);
    m_ship->setPlainText(values.shipAddress);
    m_fax->setText(values.fax);
    m_phone->setText(values.phone);
    m_company->setText(values.companyName);
    m_serviceAnswers->setChecked(values.showServiceAnswers);

    m_languages->addItems(App().dictionary.languageNames);
    m_languages->setCurrentIndex(values.language < m_languages->count() ? values.language : -1);
    m_language = values.language;
    m_company->setFocus();
}

void Setup::addLabel(const QRect& field, const QString& label, int icon)
{
    auto* caption = new QLabel(Translate(label), this);
    caption->setGeometry(field.left(), field.top() - 22, field.width(), 20);
    m_icons.push_back({QPoint(field.left() - 34 - 8, field.top() - 3), icon});
}

QLineEdit* Setup::addLine(const QRect& field, const QString& label, int icon)
{
    auto* edit = new QLineEdit(this);
    edit->setGeometry(field);
    addLabel(field, label, icon);
    return edit;
}

QPlainTextEdit* Setup::addText(const QRect& field, const QString& label, int icon)
{
    auto* edit = new QPlainTextEdit(this);
    edit->setGeometry(field);
    edit->setTabChangesFocus(true);
    addLabel(field, label, icon);
    return edit;
}

void Setup::paintEvent(QPaintEvent* event)
{
    CDarkDialog::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    // The frame captions sit on small tabs across the frames' top edges.
    const auto tab = [&painter](const QRect& frame, const QString& caption) {
        const QFont font(QStringLiteral("Arial"), 10, QFont::Bold);
        const int w = QFontMetrics(font).horizontalAdvance(caption) + 2 * 6 + 4;
        DrawCaptionedPanel(painter, caption, frame.left() + 14, frame.top() - 12, frame.left() + 14 + w,
                           frame.top() + 12, 12, 12);
    };
    tab(kFilesFrame, Translate(QStringLiteral("Files")));
    tab(kCompanyFrame, Translate(QStringLiteral("Company")));
    for (const FieldIcon& f : m_icons)
        painter.drawImage(f.at, ArtworkCell(kArtFieldIcons, f.icon));
}

void Setup::keyPressEvent(QKeyEvent* event)
{
    // Enter in a field confirms like OK, as in every dialog of the program.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<CImageButton*>(focusWidget()))
            button->click();
        else
            save();
        return;
    }
    CDarkDialog::keyPressEvent(event);
}

void Setup::browse()
{
    const QString chosen =
        folderBrowser()(this, Translate(QStringLiteral("Select Data Base Location")), m_folder->text());
    if (!chosen.isEmpty())
        m_folder->setText(QDir::toNativeSeparators(chosen));
}

void Setup::save()
{
    m_language = m_languages->currentIndex() >= 0 ? m_languages->currentIndex() : App().language;
    SetupValues values;
    values.dataFolder = m_folder->text();
    values.shipAddress = m_ship->toPlainText();
    values.billingAddress = m_billing->toPlainText();
    values.fax = m_fax->text();
    values.phone = m_phone->text();
    values.currency = m_currency->currentText();
    values.companyName = m_company->text();
    values.user = m_user->text();
    values.showServiceAnswers = m_serviceAnswers->isChecked();
    m_folderChanged = ApplySetup(values);
    accept();
}
