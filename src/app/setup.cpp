#include "db/serveraccess.h"
#include "app/setup.h"

#include "controls/artwork.h"
#include "controls/drawing.h"
#include "controls/imagebutton.h"
#include "core/appstate.h"
#include "core/dictionary.h"
#include "core/quantity.h"
#include "core/windowhooks.h"
#include "core/userinterface.h"
#include "db/copy.h"
#include "sourcing/pricing.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>

#include <algorithm>
#include <memory>

namespace {

Setup::FolderBrowser& folderBrowser()
{
    static Setup::FolderBrowser browser = [](QWidget* parent, const QString& title, const QString& start) {
        return QFileDialog::getExistingDirectory(parent, title, start);
    };
    return browser;
}

Setup::CopyTargetAsker& copyTargetOverride()
{
    static Setup::CopyTargetAsker asker;
    return asker;
}

QString askCopyTarget(QWidget* parent, const QString& from)
{
    if (copyTargetOverride())
        return copyTargetOverride()(parent, from);
    std::unique_ptr<QDialog> dialog(Setup::NewCopyTargetDialog(parent, from));
    return dialog->exec() == QDialog::Accepted ? dialog->findChild<QLineEdit*>()->text().trimmed() : QString();
}

// Panel rectangles of the two frames.
const QRect kFilesFrame(12, 16, 596, 150);
const QRect kCompanyFrame(12, 190, 596, 292);
constexpr int kDown = 66; // the company frame's fields sit this far below the files frame's first design

QString passwordAdvice()
{
    return Translate(QStringLiteral("KOLT keeps the address in its settings, so it takes no password."))
           + QLatin1Char('\n')
           + Translate(QStringLiteral("Put the password in the PostgreSQL password file (~/.pgpass) or PGPASSWORD."));
}

} // namespace

void Setup::SetFolderBrowser(FolderBrowser browser)
{
    folderBrowser() = std::move(browser);
}

QDialog* Setup::NewCopyTargetDialog(QWidget* parent, const QString& from)
{
    auto* dialog = new CDarkDialog(parent);
    dialog->setWindowTitle(Translate(QStringLiteral("Copy Data")));
    dialog->setFixedSize(560, 196);
    dialog->addPanel(QRect(12, 12, 536, 112), QString());
    auto* source = new QLabel(from, dialog);
    source->setGeometry(28, 22, 504, 22);
    auto* prompt = new QLabel(Translate(QStringLiteral("Copy all data to a new data folder or an empty server database:")),
                              dialog);
    prompt->setGeometry(28, 50, 504, 22);
    auto* target = new QLineEdit(dialog);
    target->setGeometry(28, 80, 440, 26);
    target->setPlaceholderText(QStringLiteral("postgresql://user@host:5432/kolt"));
    auto* browse = new CImageButton(QString(), kIconFolder, 1, dialog);
    browse->setGeometry(478, 72, 54, 42);
    QObject::connect(browse, &CImageButton::command, dialog, [dialog, target] {
        const QString chosen =
            folderBrowser()(dialog, Translate(QStringLiteral("Select Data Base Location")), target->text());
        if (!chosen.isEmpty())
            target->setText(QDir::toNativeSeparators(chosen));
    });
    auto* ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, dialog);
    ok->setGeometry(24, 136, 96, 48);
    auto* cancel = new CImageButton(QStringLiteral("Cancel"), kIconCancel, 2, dialog);
    cancel->setGeometry(136, 136, 96, 48);
    QObject::connect(ok, &CImageButton::command, dialog, &QDialog::accept);
    QObject::connect(cancel, &CImageButton::command, dialog, &QDialog::reject);
    target->setFocus();
    return dialog;
}

void Setup::SetCopyTargetAsker(CopyTargetAsker asker)
{
    copyTargetOverride() = std::move(asker);
}

Setup::Setup(QWidget* parent)
    : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Setup")));
    setWindowIcon(QIcon(QPixmap::fromImage(Artwork(kArtWindowIcon))));
    setFixedSize(620, 566);
    addPanel(kFilesFrame, QString());
    addPanel(kCompanyFrame, QString());

    m_database = new CImageButton(QStringLiteral("Database"), 0, 1093, this);
    m_copy = new CImageButton(QStringLiteral("Copy Data"), 0, 1094, this);
    // As wide as the longer translation needs, up to the room beside them;
    // past it the button's type shrinks.
    const int buttonWidth = std::clamp(std::max(m_database->sizeHint().width(), m_copy->sizeHint().width()), 110, 160);
    m_database->setGeometry(28, 34, buttonWidth, 48);
    m_folder = new QLineEdit(this);
    m_folder->setGeometry(42 + buttonWidth, 46, 550 - buttonWidth, 26);
    m_folder->setPlaceholderText(Translate(QStringLiteral("a data folder, or postgresql://user@host:port/database")));
    connect(m_database, &CImageButton::command, this, &Setup::browse);
    connect(m_folder, &QLineEdit::textChanged, this, &Setup::showSharedFolders);
    m_copy->setGeometry(28, 100, buttonWidth, 48);
    connect(m_copy, &CImageButton::command, this, &Setup::copyData);
    m_pictures = addLine(QRect(194, 116, 170, 26), QStringLiteral("Picture Folder"), kFieldFolder);
    m_documents = addLine(QRect(422, 116, 170, 26), QStringLiteral("Document Folder"), kFieldDocument);

    const int left = 64;
    const int right = 360;
    m_company = addLine(QRect(left, 160 + kDown, 232, 26), QStringLiteral("Company Name"), kFieldCompany);
    m_ship = addText(QRect(left, 212 + kDown, 232, 80), QStringLiteral("Ship Address"), kFieldAddress);
    m_phone = addLine(QRect(left, 318 + kDown, 232, 26), QStringLiteral("Phone"), kFieldPhone);
    m_fax = addLine(QRect(left, 370 + kDown, 232, 26), QStringLiteral("Fax"), kFieldFax);
    m_billing = addText(QRect(right, 160 + kDown, 232, 80), QStringLiteral("Billing Address"), kFieldAddress);
    m_user = addLine(QRect(right, 266 + kDown, 232, 26), QStringLiteral("User"), kFieldUser);
    m_currency = new QComboBox(this);
    m_currency->setGeometry(right, 318 + kDown, 120, 26);
    addLabel(m_currency->geometry(), QStringLiteral("Currency"), kFieldCurrency);
    // How many builds the roll-up prices purchased parts for (their breaks).
    m_rollupBuilds = new QLineEdit(this);
    m_rollupBuilds->setObjectName(QStringLiteral("rollupBuilds"));
    m_rollupBuilds->setGeometry(right + 170, 318 + kDown, 62, 26);
    // The group's edge is close: the caption starts over the field's icon.
    QLabel* builds = addLabel(QRect(right + 170, 318 + kDown, 62, 26), QStringLiteral("Roll-up builds"), kFieldNumber);
    builds->setGeometry(right + 128, 318 + kDown - 22, 114, 20);
    // The distributor accounts are the user's own, kept apart from the shop's data.
    auto* providers = new QPushButton(Translate(QStringLiteral("Providers...")), this);
    providers->setGeometry(right, 401 + kDown, 120, 26);
    connect(providers, &QPushButton::clicked, this, [this] { RunWindowAction(WindowActions::Providers, this); });
    // Whether the address reaches the shop, as whom and with what rights,
    // before the desk moves there.
    m_test = new QPushButton(Translate(QStringLiteral("Test connection")), this);
    m_test->setObjectName(QStringLiteral("testConnection"));
    m_test->setGeometry(left, 401 + kDown, 160, 26);
    connect(m_test, &QPushButton::clicked, this, &Setup::testConnection);
    // The raw answers of the part lookup help whoever sets up the service;
    // everyone else would only have to click them away.
    m_serviceAnswers = new QCheckBox(Translate(QStringLiteral("Show service answers")), this);
    m_serviceAnswers->setGeometry(right, 370 + kDown, 232, 26);
    // The box in the colours of the part lookup's own check boxes: the plain
    // style's box vanishes on the dark panel.
    m_serviceAnswers->setStyleSheet(QStringLiteral(
        "QCheckBox::indicator { width: 14px; height: 14px; background: rgb(32,32,32);"
        " border: 1px solid rgb(128,255,255); }"
        "QCheckBox::indicator:checked { background: rgb(128,255,255); }"));

    m_ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, this);
    m_ok->setGeometry(24, 434 + kDown, 96, 48);
    m_cancel = new CImageButton(QStringLiteral("Cancel"), kIconCancel, 2, this);
    m_cancel->setGeometry(136, 434 + kDown, 96, 48);
    connect(m_ok, &CImageButton::command, this, &Setup::save);
    connect(m_cancel, &CImageButton::command, this, &Setup::reject);
    m_languages = new QComboBox(this);
    m_languages->setGeometry(400, 445 + kDown, 192, 26);
    auto* languageLabel = new QLabel(Translate(QStringLiteral("Language")), this);
    languageLabel->setGeometry(300, 445 + kDown, 96, 26);
    languageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // Fill the fields.
    const SetupValues values = CurrentSetupValues();
    m_user->setText(values.user);
    m_folder->setText(values.dataFolder);
    m_pictures->setText(values.pictureFolder);
    m_documents->setText(values.documentFolder);
    showSharedFolders();
    m_currency->setEditable(true);
    m_currency->setInsertPolicy(QComboBox::NoInsert);
    m_currency->addItems(SetupCurrencies());
    m_loaded = values.loaded;
    showCompanyData(values);
    // The company data is the shop's: a read-only desk shows it, the desk's
    // own settings (location, user, language) stay its to change.
    if (DeskReadOnly()) {
        for (QLineEdit* field : {m_company, m_phone, m_fax})
            field->setReadOnly(true);
        m_billing->setReadOnly(true);
        m_ship->setReadOnly(true);
        m_currency->setEnabled(false);
    }
    m_serviceAnswers->setChecked(values.showServiceAnswers);
    m_rollupBuilds->setText(PlainNumber(values.rollupBuilds));

    m_languages->addItems(App().dictionary.languageNames);
    m_languages->setCurrentIndex(values.language < m_languages->count() ? values.language : -1);
    m_language = values.language;
    m_company->setFocus();
}

QLabel* Setup::addLabel(const QRect& field, const QString& label, int icon)
{
    auto* caption = new QLabel(Translate(label), this);
    caption->setGeometry(field.left(), field.top() - 22, field.width(), 20);
    m_icons.push_back({QPoint(field.left() - 34 - 8, field.top() - 3), icon});
    return caption;
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

void Setup::showSharedFolders()
{
    // Beside kolt.db a folder has its own Picture and Document folders; the
    // team on a server needs a shared folder for each.
    const bool server = IsServerAddress(m_folder->text().trimmed());
    if (m_test)
        m_test->setEnabled(server);
    for (QLineEdit* field : {m_pictures, m_documents}) {
        field->setEnabled(server);
        field->setPlaceholderText(server ? Translate(QStringLiteral("a shared folder"))
                                         : Translate(QStringLiteral("beside kolt.db")));
    }
}

void Setup::testConnection()
{
    QString answer;
    TestServerConnection(m_folder->text().trimmed(), &answer);
    ShowMessage(answer, Translate(QStringLiteral("Test connection")));
}

void Setup::copyData()
{
    const QString from = App().DataFolder;
    const QString to = askCopyTarget(this, from);
    if (to.isEmpty())
        return;
    if (AddressHoldsPassword(to)) {
        ShowMessage(passwordAdvice(), Translate(QStringLiteral("Copy Data")));
        return;
    }
    // CopyData tells what went wrong; the dialog only offers the copy.
    if (!CopyData(from, to).done)
        return;
    const QString question = Translate(QStringLiteral("The data was copied to")) + QLatin1Char('\n')
                             + (IsServerAddress(to) ? to : QDir::toNativeSeparators(to)) + QStringLiteral("\n\n")
                             + Translate(QStringLiteral("Work with the copy from now on?"));
    if (ShowMessage(question, Translate(QStringLiteral("Copy Data")), kButtonsYesNo) == kAnswerYes)
        m_folder->setText(IsServerAddress(to) ? to : QDir::toNativeSeparators(to));
}

void Setup::showCompanyData(const SetupValues& values)
{
    // The list offers the usual codes; a code stored from elsewhere stays in
    // the field (without a selection) so that OK does not erase it.
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
}

void Setup::save()
{
    if (AddressHoldsPassword(m_folder->text())) {
        ShowMessage(passwordAdvice(), Translate(QStringLiteral("Setup")));
        m_folder->setFocus();
        return;
    }
    m_language = m_languages->currentIndex() >= 0 ? m_languages->currentIndex() : App().language;
    SetupValues values;
    values.dataFolder = m_folder->text();
    values.pictureFolder = m_pictures->text();
    values.documentFolder = m_documents->text();
    values.shipAddress = m_ship->toPlainText();
    values.billingAddress = m_billing->toPlainText();
    values.fax = m_fax->text();
    values.phone = m_phone->text();
    values.currency = m_currency->currentText();
    values.companyName = m_company->text();
    values.user = m_user->text();
    values.showServiceAnswers = m_serviceAnswers->isChecked();
    values.loaded = m_loaded;
    // A quantity that does not read keeps the one before.
    double builds = 0;
    values.rollupBuilds = DefaultRollupQuantity();
    if (ParseQuantity(m_rollupBuilds->text(), kMaxRequirementQuantity, &builds, nullptr))
        values.rollupBuilds = builds;
    bool stale = false;
    m_folderChanged = ApplySetup(values, &stale);
    // Another desk saved the company data meanwhile: it is shown as stored
    // now, and the dialog stays open on it.
    if (stale) {
        const SetupValues stored = CurrentSetupValues();
        m_loaded = stored.loaded;
        showCompanyData(stored);
        return;
    }
    accept();
}
