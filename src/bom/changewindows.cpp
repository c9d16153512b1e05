#include "bom/changewindows.h"

#include "bom/bomdiffprint.h"
#include "bom/revisions.h"
#include "bom/whereused.h"
#include "controls/artwork.h"
#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "controls/printjob.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "db/bills.h"
#include "db/database.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QTableWidget* makeTable(const QStringList& headings, QWidget* parent)
{
    auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
    QStringList shown;
    for (const QString& heading : headings)
        shown << Translate(heading);
    table->setHorizontalHeaderLabels(shown);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    StyleSmallGrid(table);
    return table;
}

void fillRow(QTableWidget* table, int row, const QStringList& cells)
{
    for (int c = 0; c < cells.size(); ++c)
        table->setItem(row, c, new QTableWidgetItem(cells[c]));
}

CImageButton* button(const QString& text, int icon, int id, QWidget* parent)
{
    auto* b = new CImageButton(text, icon, id, parent);
    b->setFixedSize(b->sizeHint().expandedTo(QSize(110, 44)));
    return b;
}

QLabel* summaryLabel(QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("QLabel { color: rgb(224, 224, 224); }"));
    return label;
}

} // namespace

CWhereUsed::CWhereUsed(const QString& part, QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Where Used")));
    m_part = new QLineEdit(part, this);
    m_table = makeTable({QStringLiteral("Top Assembly"), QStringLiteral("Path"), QStringLiteral("Quantity per Top")},
                        this);
    m_summary = summaryLabel(this);
    auto* form = new QFormLayout;
    form->addRow(TranslateLabel(QStringLiteral("Part #:")), m_part);
    auto* findButton = button(QStringLiteral("Find"), kIconSearch, 1, this);
    auto* ok = button(QStringLiteral("OK"), kIconOk, 2, this);
    connect(findButton, &QAbstractButton::clicked, this, &CWhereUsed::find);
    connect(m_part, &QLineEdit::returnPressed, this, &CWhereUsed::find);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(findButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(buttons);
    resize(640, 420);
    if (!part.isEmpty())
        find();
}

void CWhereUsed::find()
{
    const QString part = UpperCaseAscii(m_part->text().trimmed());
    bool ok = false;
    const std::vector<PartUse> uses = WhereUsed(part, &ok);
    m_table->setRowCount(static_cast<int>(uses.size()));
    for (int r = 0; r < static_cast<int>(uses.size()); ++r) {
        const PartUse& use = uses[static_cast<size_t>(r)];
        fillRow(m_table, r, {use.top, UsePathText(use), PlainNumber(use.quantity)});
    }
    m_table->resizeColumnsToContents();
    if (!ok)
        m_summary->setText(LastErrorText());
    else if (uses.empty())
        m_summary->setText(Format(qPrintable(Translate(QStringLiteral("%s is used in no bill"))), {part}));
    else
        m_summary->setText(Format(qPrintable(Translate(QStringLiteral("%s: %i uses"))),
                                  {part, static_cast<int>(uses.size())}));
}

CReplacePart::CReplacePart(const QString& oldPart, QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Replace Part")));
    m_old = new QLineEdit(oldPart, this);
    m_new = new QLineEdit(this);
    m_assembly = new QLineEdit(this);
    m_assembly->setPlaceholderText(Translate(QStringLiteral("every assembly")));
    m_table = makeTable({QStringLiteral("Assy"), QStringLiteral("Item"), QStringLiteral("Old Part"),
                         QStringLiteral("New Part"), QStringLiteral("Quan")},
                        this);
    m_summary = summaryLabel(this);
    auto* form = new QFormLayout;
    form->addRow(TranslateLabel(QStringLiteral("Old Part:")), m_old);
    form->addRow(TranslateLabel(QStringLiteral("New Part:")), m_new);
    form->addRow(TranslateLabel(QStringLiteral("Assembly:")), m_assembly);
    auto* previewButton = button(QStringLiteral("Preview"), kIconSearch, 1, this);
    auto* replaceButton = button(QStringLiteral("Replace"), kIconOk, 2, this);
    auto* close = button(QStringLiteral("Cancel"), kIconCancel, 3, this);
    connect(previewButton, &QAbstractButton::clicked, this, [this] { preview(); });
    connect(replaceButton, &QAbstractButton::clicked, this, [this] {
        if (replace())
            accept();
    });
    connect(close, &QAbstractButton::clicked, this, [this] { m_changed ? accept() : reject(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(previewButton);
    buttons->addStretch();
    buttons->addWidget(replaceButton);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(buttons);
    resize(640, 440);
}

bool CReplacePart::preview()
{
    m_plan = PlanReplace(m_old->text(), m_new->text(), m_assembly->text());
    m_table->setRowCount(static_cast<int>(m_plan.lines.size()));
    for (int r = 0; r < static_cast<int>(m_plan.lines.size()); ++r) {
        const ReplaceLine& line = m_plan.lines[static_cast<size_t>(r)];
        fillRow(m_table, r, {line.assembly, line.item, m_plan.oldPart, m_plan.newPart, line.quantity});
    }
    m_table->resizeColumnsToContents();
    if (!m_plan.refusal.isEmpty())
        m_summary->setText(m_plan.refusal);
    else if (m_plan.lines.empty())
        m_summary->setText(Format(qPrintable(Translate(QStringLiteral("No bill line uses %s"))), {m_plan.oldPart}));
    else
        m_summary->setText(Format(qPrintable(Translate(QStringLiteral("%i lines in %i assemblies will change; "
                                                                      "each assembly gets a new revision"))),
                                  {static_cast<int>(m_plan.lines.size()), static_cast<int>(m_plan.assemblies.size())}));
    return m_plan.refusal.isEmpty() && !m_plan.lines.empty();
}

bool CReplacePart::replace()
{
    // The list the user saw is the one replaced: a changed field lists again first.
    const bool current = m_plan.oldPart == UpperCaseAscii(m_old->text().trimmed())
                         && m_plan.newPart == UpperCaseAscii(m_new->text().trimmed()) && !m_plan.lines.empty();
    if (!current) {
        preview();
        return false;
    }
    QString error;
    if (!ApplyReplace(m_plan, &error)) {
        ShowMessage(error, Translate(QStringLiteral("Replace Part")));
        return false;
    }
    m_changed = true;
    ShowMessage(Format(qPrintable(Translate(QStringLiteral("%s replaced by %s"))), {m_plan.oldPart, m_plan.newPart}),
                Translate(QStringLiteral("Replace Part")));
    return true;
}

CCompareBills::CCompareBills(const QString& assemblyName, QWidget* parent) : CDarkDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("BOM Comparison")));
    const QString assembly = UpperCaseAscii(assemblyName.trimmed());
    QString before;
    if (!assembly.isEmpty()) {
        const std::vector<RevisionRecord> kept = LoadRevisions(assembly, false);
        before = kept.empty() ? assembly : assembly + QLatin1Char('@') + kept.back().revision;
    }
    m_before = new QLineEdit(before, this);
    m_after = new QLineEdit(assembly, this);
    m_table = makeTable({QStringLiteral("Change"), QStringLiteral("Part"), QStringLiteral("Old"), QStringLiteral("New"),
                         QStringLiteral("Notes")},
                        this);
    m_summary = summaryLabel(this);
    auto* form = new QFormLayout;
    form->addRow(TranslateLabel(QStringLiteral("Old:")), m_before);
    form->addRow(TranslateLabel(QStringLiteral("New:")), m_after);
    auto* compareButton = button(QStringLiteral("Compare"), kIconSearch, 1, this);
    auto* printButton = button(QStringLiteral("Print"), kIconPrint, 2, this);
    auto* ok = button(QStringLiteral("OK"), kIconOk, 3, this);
    connect(compareButton, &QAbstractButton::clicked, this, [this] { compare(); });
    connect(printButton, &QAbstractButton::clicked, this, &CCompareBills::print);
    connect(ok, &QAbstractButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(compareButton);
    buttons->addWidget(printButton);
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_summary);
    layout->addLayout(buttons);
    resize(760, 460);
    if (!assembly.isEmpty())
        compare();
}

bool CCompareBills::compare()
{
    std::vector<BillLine> before;
    std::vector<BillLine> after;
    QString error;
    m_changes.clear();
    m_table->setRowCount(0);
    if (!LoadBomSide(m_before->text(), before, &m_beforeLabel, &error)
        || !LoadBomSide(m_after->text(), after, &m_afterLabel, &error)) {
        m_summary->setText(error);
        return false;
    }
    m_changes = DiffBills(before, after);
    m_table->setRowCount(static_cast<int>(m_changes.size()));
    for (int r = 0; r < static_cast<int>(m_changes.size()); ++r) {
        const BomChange& c = m_changes[static_cast<size_t>(r)];
        fillRow(m_table, r, {BomChangeKindName(c.kind), c.part, c.oldValue, c.newValue, c.note});
    }
    m_table->resizeColumnsToContents();
    m_summary->setText(m_changes.empty() ? Translate(QStringLiteral("No differences"))
                                         : Format(qPrintable(Translate(QStringLiteral("%s to %s: %i changes"))),
                                                  {m_beforeLabel, m_afterLabel, static_cast<int>(m_changes.size())}));
    return true;
}

void CCompareBills::print()
{
    if (!compare())
        return;
    PrintJob job;
    job.documentName = QStringLiteral("KOLT BOM Comparison");
    job.suggestedFile = Format("KOLT BOM Comparison %s %s", {m_beforeLabel, m_afterLabel});
    job.pdfMarginMm = 0;
    job.paint = [this](QPagedPaintDevice& device) {
        return PrintBomComparison(m_beforeLabel, m_afterLabel, m_changes, device) > 0;
    };
    RunPrintJob(this, job);
}
