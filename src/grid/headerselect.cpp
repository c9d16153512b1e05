#include "grid/headerselect.h"

#include "core/appstate.h"
#include "core/dictionary.h"
#include "grid/celleditor.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

CHeaderSelect::CHeaderSelect(int table, QWidget* parent) : QDialog(parent), m_table(table)
{
    setWindowTitle(Translate(QStringLiteral("Column Chooser")));
    resize(300, 360);
    ApplyDarkGridPalette(this, QColor(32, 32, 32));
    auto* heading = new QLabel(Translate(QStringLiteral("Name")), this);
    m_list = new QListWidget(this);
    const TableDefinition& definition = App().tables[table];
    // The first field identifies the record and cannot be hidden.
    if (definition.fieldCount >= 2)
        for (int f = 1; f < definition.fieldCount && f + 1 < kMaxColumns; ++f) {
            auto* item = new QListWidgetItem(Translate(definition.headings[f]), m_list);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(App().ColumnLayout[table][f + 1].shown ? Qt::Checked : Qt::Unchecked);
            item->setData(Qt::UserRole, f + 1);
        }
    auto* ok = new QPushButton(Translate(QStringLiteral("OK")), this);
    auto* cancel = new QPushButton(Translate(QStringLiteral("Cancel")), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &CHeaderSelect::accept);
    connect(cancel, &QPushButton::clicked, this, &CHeaderSelect::reject);
}

void CHeaderSelect::accept()
{
    for (int i = 0; i < m_list->count(); ++i) {
        const QListWidgetItem* item = m_list->item(i);
        App().ColumnLayout[m_table][item->data(Qt::UserRole).toInt()].shown = item->checkState() == Qt::Checked ? 1 : 0;
    }
    QDialog::accept();
}
