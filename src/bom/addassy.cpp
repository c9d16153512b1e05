#include "bom/addassy.h"

#include "app/dictionary.h"
#include "bom/newassembly.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

void ApplyBomDialogLook(QWidget* dialog)
{
    QPalette palette = dialog->palette();
    palette.setColor(QPalette::Window, QColor(72, 72, 72));
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Base, QColor(32, 32, 32));
    palette.setColor(QPalette::AlternateBase, QColor(48, 48, 48));
    palette.setColor(QPalette::Text, Qt::white);
    palette.setColor(QPalette::Button, QColor(96, 96, 96));
    palette.setColor(QPalette::ButtonText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0, 120, 160));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    dialog->setPalette(palette);
    dialog->setAutoFillBackground(true);
    dialog->setStyleSheet(QStringLiteral(
        "QDialog { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #6a6a6a, stop:1 #202020); }"
        "QGroupBox { border: 1px solid #909090; border-radius: 8px; margin-top: 14px; color: white;"
        " background: rgba(96, 96, 96, 120); }"
        "QGroupBox::title { subcontrol-origin: margin; left: 10px; padding: 0 4px; }"
        "QPushButton { color: white; border: 1px solid #202020; border-radius: 6px; padding: 5px 14px;"
        " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #9a9a9a, stop:1 #3c3c3c); }"
        "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #b8b8b8, stop:1 #505050); }"
        "QPushButton:pressed { background: #303030; }"
        "QLabel { color: white; }"));
}

CAddAssy::CAddAssy(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Add Assy")));
    ApplyBomDialogLook(this);
    auto* frame = new QGroupBox(Translate(QStringLiteral("Add Assy")), this);
    auto* form = new QFormLayout(frame);
    m_nameEdit = new QLineEdit(frame);
    m_rowsEdit = new QLineEdit(QStringLiteral("1"), frame);
    form->addRow(TranslateLabel(QStringLiteral("Assembly Name")), m_nameEdit);
    form->addRow(TranslateLabel(QStringLiteral("Rows")), m_rowsEdit);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(Translate(QStringLiteral("OK")), QDialogButtonBox::AcceptRole);
    buttons->addButton(Translate(QStringLiteral("Cancel")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &CAddAssy::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAddAssy::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_progress);
    layout->addWidget(buttons);
    resize(360, 200);
}

void CAddAssy::accept()
{
    const AddAssemblyResult result =
        AddAssembly(m_nameEdit->text(), m_rowsEdit->text(), [this](int position, int count) {
            m_progress->setRange(0, std::max(0, count - 1));
            m_progress->setValue(position);
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    if (result != AddAssemblyResult::Added)
        return; // the message was shown; the dialog stays open
    m_name = m_nameEdit->text().trimmed().toUpper();
    QDialog::accept();
}
