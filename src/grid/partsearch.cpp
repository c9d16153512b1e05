#include "grid/partsearch.h"

#include "core/dictionary.h"
#include "grid/celleditor.h"
#include "grid/partlookup.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

CPartSearch::CPartSearch(const QString& searchText, QWidget* parent) : QDialog(parent), m_searchText(searchText)
{
    setWindowTitle(Translate(QStringLiteral("Search")));
    resize(520, 340);
    ApplyDarkGridPalette(this, QColor(8, 8, 8));

    auto* search = new QPushButton(Translate(QStringLiteral("Search")), this);
    m_field = new QLineEdit(searchText, this);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setAllColumnsShowFocus(true);
    m_list->setStyleSheet(QStringLiteral("QTreeWidget { background: rgb(8,8,8); color: rgb(0,255,255); }"));
    const QStringList headings = {QStringLiteral("Part #"), QStringLiteral("Internal #"), QStringLiteral("Description"),
                                  QStringLiteral("Manufacturer"), QStringLiteral("Distributor")};
    QStringList translated;
    for (const QString& heading : headings)
        translated << Translate(heading);
    m_list->setHeaderLabels(translated);
    for (int c = 0; c < translated.size(); ++c)
        m_list->header()->resizeSection(c, 12 * static_cast<int>(translated[c].size()));

    auto* ok = new QPushButton(Translate(QStringLiteral("OK")), this);
    auto* cancel = new QPushButton(Translate(QStringLiteral("Cancel")), this);
    ok->setDefault(false);
    ok->setAutoDefault(false);
    search->setAutoDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(search);
    top->addWidget(m_field, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(bottom);

    connect(search, &QPushButton::clicked, this, &CPartSearch::Search);
    connect(m_field, &QLineEdit::returnPressed, this, &CPartSearch::Search);
    connect(ok, &QPushButton::clicked, this, &CPartSearch::accept);
    connect(cancel, &QPushButton::clicked, this, &CPartSearch::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &CPartSearch::accept);
    Search();
}

void CPartSearch::Search()
{
    m_list->clear();
    const QueryResult result = SearchParts(m_field->text());
    for (int r = 0; r < result.rowCount; ++r) {
        QStringList values;
        for (int c = 0; c < 5; ++c)
            values << result.cell(r, c);
        m_list->addTopLevelItem(new QTreeWidgetItem(values));
    }
}

void CPartSearch::accept()
{
    const QList<QTreeWidgetItem*> chosen = m_list->selectedItems();
    if (!chosen.isEmpty())
        m_searchText = chosen.first()->text(0);
    QDialog::accept();
}
