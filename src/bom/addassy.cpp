#include "bom/addassy.h"

#include "bom/newassembly.h"
#include "controls/artwork.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/utilities.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressBar>
#include <QVBoxLayout>

CAddAssy::CAddAssy(QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Add Assy")));
    auto* frame = new QWidget(this);
    m_frame = frame;
    auto* form = new QFormLayout(frame);
    form->setContentsMargins(14, 28, 14, 14);
    m_nameEdit = new QLineEdit(frame);
    m_rowsEdit = new QLineEdit(QStringLiteral("1"), frame);
    form->addRow(TranslateLabel(QStringLiteral("Assembly Name")), m_nameEdit);
    form->addRow(TranslateLabel(QStringLiteral("Rows")), m_rowsEdit);
    m_progress = new QProgressBar(this);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

    auto* ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, this);
    auto* cancel = new CImageButton(QStringLiteral("Cancel"), kIconCancel, 2, this);
    for (CImageButton* b : {ok, cancel})
        b->setFixedSize(b->sizeHint().expandedTo(QSize(96, 48)));
    connect(ok, &QAbstractButton::clicked, this, &CAddAssy::accept);
    connect(cancel, &QAbstractButton::clicked, this, &CAddAssy::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    resize(360, 200);
}

void CAddAssy::resizeEvent(QResizeEvent* event)
{
    CDarkDialog::resizeEvent(event);
    clearPanels();
    const QRect area = m_frame->geometry();
    addPanel(area, QString());
    addPanel(QRect(area.left(), area.top(), area.width(), 22), Translate(QStringLiteral("Add Assy")), 10);
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
    m_name = UpperCaseAscii(m_nameEdit->text().trimmed());
    QDialog::accept();
}
