#include "schedule/tasklist.h"

#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "core/dictionary.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "db/database.h"
#include "db/production.h"
#include "schedule/schedule.h"
#include "schedule/taskrecord.h"
#include "schedule/timelinedialogs.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSet>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { kOrder, kTask, kAssembly, kStep, kDescription, kResource, kCount, kHours, kActual, kStatus, kColumns };

} // namespace

CTaskList::CTaskList(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Task List")));
    ApplyDarkLook(this);
    m_status = new QComboBox;
    m_status->setObjectName(QStringLiteral("status"));
    m_status->addItem(Translate(QStringLiteral("All")), QString());
    for (const char* status : {"Pending", "In-Process", "Done"})
        m_status->addItem(Translate(QString::fromLatin1(status)), QString::fromLatin1(status));
    m_resource = new QComboBox;
    m_resource->setObjectName(QStringLiteral("resource"));
    m_resource->addItem(Translate(QStringLiteral("All")), QString());
    for (const QString& resource : TaskResources())
        m_resource->addItem(resource, resource);

    m_table = new QTableWidget(0, kColumns);
    m_table->setObjectName(QStringLiteral("tasks"));
    const char* headings[kColumns] = {"Order #", "Task #", "Assy",  "Step",   "Description",
                                      "Resource", "Count", "Hours", "Actual", "Status"};
    QStringList labels;
    for (const char* heading : headings)
        labels << Translate(QString::fromLatin1(heading));
    m_table->setHorizontalHeaderLabels(labels);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(kDescription, QHeaderView::Stretch);

    auto* done = new CImageButton(Translate(QStringLiteral("Mark Done")), 0, 1, nullptr);
    done->setObjectName(QStringLiteral("markDone"));
    auto* close = new CImageButton(Translate(QStringLiteral("Close")), 0, 2, nullptr);
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel(TranslateLabel(QStringLiteral("Status:"))));
    filters->addWidget(m_status);
    filters->addSpacing(16);
    filters->addWidget(new QLabel(TranslateLabel(QStringLiteral("Resource:"))));
    filters->addWidget(m_resource);
    filters->addStretch();
    filters->addWidget(done);
    filters->addWidget(close);
    auto* main = new QVBoxLayout(this);
    main->addLayout(filters);
    main->addWidget(m_table, 1);

    connect(m_status, qOverload<int>(&QComboBox::activated), this, &CTaskList::load);
    connect(m_resource, qOverload<int>(&QComboBox::activated), this, &CTaskList::load);
    connect(done, &CImageButton::clicked, this, [this] { markSelectedDone(); });
    connect(close, &CImageButton::clicked, this, &QDialog::accept);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { openTask(row); });
    load();
    resize(980, 520);
}

void CTaskList::load()
{
    const std::vector<TaskRow> tasks =
        ReadTasks(m_status->currentData().toString(), m_resource->currentData().toString());
    m_table->setRowCount(0);
    m_table->setRowCount(static_cast<int>(tasks.size()));
    int row = 0;
    for (const TaskRow& task : tasks) {
        const QString cells[kColumns] = {task.orderNumber,
                                         Format("%i", {task.taskNumber}),
                                         task.assembly,
                                         task.step,
                                         task.description,
                                         task.resource,
                                         PlainNumber(task.count),
                                         PlainNumber(TaskWorkHours(task.stepHours, task.count)),
                                         PlainNumber(task.actual),
                                         // The stored word stays English; the list shows it in the desk's language.
                                         Translate(task.status)};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == kTask || c == kCount || c == kHours || c == kActual)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, c, item);
        }
        ++row;
    }
    m_table->resizeColumnsToContents();
    m_table->horizontalHeader()->setSectionResizeMode(kDescription, QHeaderView::Stretch);
}

int CTaskList::markSelectedDone()
{
    QSet<int> rows;
    for (const QTableWidgetItem* item : m_table->selectedItems())
        rows.insert(item->row());
    int marked = 0;
    for (const int row : rows) {
        const QString order = m_table->item(row, kOrder)->text();
        const int task = m_table->item(row, kTask)->text().toInt();
        if (MarkTaskDone(order, task))
            ++marked;
        else
            ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:"))
                            + QLatin1Char('\n') + LastErrorText(),
                        QStringLiteral("Database Status"));
    }
    load();
    return marked;
}

void CTaskList::openTask(int row)
{
    if (row < 0 || row >= m_table->rowCount())
        return;
    CTaskEdit editor(m_table->item(row, kOrder)->text(), m_table->item(row, kTask)->text(), this);
    if (editor.exec() == QDialog::Accepted)
        load();
}
