#pragma once
// The Setup dialog: the data location (a folder or a server address), the
// shared Picture and Document folders, copying the data elsewhere, company
// data, user, currency and language.
#include "app/setupvalues.h"
#include "controls/dialogstyle.h"

#include <functional>
#include <vector>

class CImageButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class Setup : public CDarkDialog
{
    Q_OBJECT
public:
    explicit Setup(QWidget* parent = nullptr);

    // After exec(): the language chosen and whether DataFolder changed.
    int chosenLanguage() const { return m_language; }
    bool folderChanged() const { return m_folderChanged; }

    // The folder browser; tests replace it.
    using FolderBrowser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
    static void SetFolderBrowser(FolderBrowser browser);
    // Where Copy Data copies to (empty: nowhere); tests replace the question.
    using CopyTargetAsker = std::function<QString(QWidget* parent, const QString& from)>;
    static void SetCopyTargetAsker(CopyTargetAsker asker);
    // The question Copy Data asks, for the screen and for a look at it.
    static QDialog* NewCopyTargetDialog(QWidget* parent, const QString& from);

    QLineEdit* folderField() const { return m_folder; }
    QLineEdit* pictureFolderField() const { return m_pictures; }
    QLineEdit* documentFolderField() const { return m_documents; }
    QLineEdit* companyField() const { return m_company; }
    QPlainTextEdit* shipField() const { return m_ship; }
    QPlainTextEdit* billingField() const { return m_billing; }
    QLineEdit* phoneField() const { return m_phone; }
    QLineEdit* faxField() const { return m_fax; }
    QLineEdit* userField() const { return m_user; }
    QComboBox* currencyList() const { return m_currency; }
    QComboBox* languageList() const { return m_languages; }
    QCheckBox* serviceAnswersBox() const { return m_serviceAnswers; }
    CImageButton* okButton() const { return m_ok; }
    CImageButton* cancelButton() const { return m_cancel; }
    CImageButton* databaseButton() const { return m_database; }
    CImageButton* copyButton() const { return m_copy; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void browse();
    void copyData();
    // Setup's "Test connection": the server's answer for the address typed.
    void testConnection();
    void save();
    // The company fields as values holds them.
    void showCompanyData(const SetupValues& values);
    // The shared folders mean something only with the data on a server.
    void showSharedFolders();
    QLineEdit* addLine(const QRect& field, const QString& label, int icon);
    QPlainTextEdit* addText(const QRect& field, const QString& label, int icon);
    QLabel* addLabel(const QRect& field, const QString& label, int icon);

    struct FieldIcon
    {
        QPoint at;
        int icon;
    };
    std::vector<FieldIcon> m_icons;
    QLineEdit* m_folder = nullptr;
    QLineEdit* m_pictures = nullptr;
    QLineEdit* m_documents = nullptr;
    QLineEdit* m_company = nullptr;
    QPlainTextEdit* m_ship = nullptr;
    QPlainTextEdit* m_billing = nullptr;
    QLineEdit* m_phone = nullptr;
    QLineEdit* m_fax = nullptr;
    QLineEdit* m_rollupBuilds = nullptr;
    QLineEdit* m_user = nullptr;
    QComboBox* m_currency = nullptr;
    QComboBox* m_languages = nullptr;
    QCheckBox* m_serviceAnswers = nullptr;
    CImageButton* m_ok = nullptr;
    CImageButton* m_cancel = nullptr;
    CImageButton* m_database = nullptr;
    CImageButton* m_copy = nullptr;
    QPushButton* m_test = nullptr;
    int m_language = 0;
    bool m_folderChanged = false;
    ParamSnapshot m_loaded; // the company data as the dialog read it
};
