#include "bom/rollupdialog.h"

#include "controls/artwork.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "sourcing/pricing.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CRollupDialog::CRollupDialog(QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Cost Roll-up")));
    m_frame = new QWidget(this);
    auto* form = new QFormLayout(m_frame);
    form->setContentsMargins(14, 28, 14, 14);
    m_builds = new QLineEdit(PlainNumber(DefaultRollupQuantity()), m_frame);
    m_builds->setObjectName(QStringLiteral("builds"));
    form->addRow(TranslateLabel(QStringLiteral("Roll-up builds")), m_builds);
    auto* note = new QLabel(Translate(QStringLiteral("Purchased parts are priced as bought for this many builds.")),
                            m_frame);
    note->setWordWrap(true);
    form->addRow(note);

    auto* ok = new CImageButton(QStringLiteral("OK"), kIconOk, 1, this);
    auto* cancel = new CImageButton(QStringLiteral("Cancel"), kIconCancel, 2, this);
    for (CImageButton* b : {ok, cancel})
        b->setFixedSize(b->sizeHint().expandedTo(QSize(96, 48)));
    connect(ok, &QAbstractButton::clicked, this, &CRollupDialog::accept);
    connect(cancel, &QAbstractButton::clicked, this, &CRollupDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_frame);
    layout->addLayout(buttons);
    resize(380, 190);
}

void CRollupDialog::resizeEvent(QResizeEvent* event)
{
    CDarkDialog::resizeEvent(event);
    clearPanels();
    const QRect area = m_frame->geometry();
    addPanel(area, QString());
    addPanel(QRect(area.left(), area.top(), area.width(), 22), Translate(QStringLiteral("Cost Roll-up")), 10);
}

void CRollupDialog::accept()
{
    double builds = 0;
    QString error;
    if (!ParseQuantity(m_builds->text(), kMaxRequirementQuantity, &builds, &error)) {
        ShowMessage(TranslateLabel(QStringLiteral("Roll-up builds")) + QLatin1Char(' ') + error,
                    Translate(QStringLiteral("Cost Roll-up")));
        m_builds->setFocus();
        return;
    }
    m_accepted = builds;
    QDialog::accept();
}
