#include "schedule/timelinedialogs.h"

#include "controls/darklook.h"
#include "controls/imagebutton.h"
#include "controls/printjob.h"
#include "core/dictionary.h"
#include "core/dates.h"
#include "core/format.h"
#include "core/quantity.h"
#include "core/userinterface.h"
#include "core/utilities.h"
#include "core/windowhooks.h"
#include "db/database.h"
#include "db/production.h"
#include "db/serveraccess.h"
#include "schedule/scheduleprint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QListWidget>
#include <QPushButton>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <functional>

// The chart area: paints the schedule with the dialog's view and forwards clicks.
class CTimelineChart : public QWidget
{
public:
    CTimelineChart(CTimeline* owner, std::function<ChartView()> view) : m_owner(owner), m_view(std::move(view))
    {
        setMinimumSize(640, 320);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        PaintScheduleChart(painter, rect(), m_owner->schedule(), m_view());
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_owner->openItemAt(event->position());
    }
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            const QString text = m_owner->toolTipAt(help->pos());
            if (text.isEmpty()) {
                QToolTip::hideText();
                event->ignore();
            } else {
                QToolTip::showText(help->globalPos(), text, this);
            }
            return true;
        }
        return QWidget::event(event);
    }

private:
    CTimeline* m_owner;
    std::function<ChartView()> m_view;
};

CResourceLoadView::CResourceLoadView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("resourceLoad"));
    setMinimumSize(640, 240);
}

void CResourceLoadView::setLoad(const ResourceLoad& load)
{
    m_load = load;
    update();
}

void CResourceLoadView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    const QDate today = QDate::currentDate();
    PaintResourceLoad(painter, QRectF(rect()).adjusted(6, 6, -6, -6), m_load,
                      m_load.first.isValid() && m_load.first > today ? m_load.first : today);
}

CTimeline::CTimeline(const QString& requirementOrAssembly, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Timeline")));
    ApplyDarkLook(this);
    m_requirements = new QComboBox;
    m_requirements->setMinimumWidth(260);
    auto* setupButton = new CImageButton(Translate(QStringLiteral("Setup")), 0, 1030, nullptr);
    auto* printButton = new CImageButton(Translate(QStringLiteral("Print")), 0, 1031, nullptr);
    m_zoom = new QSpinBox;
    m_zoom->setRange(1, 40);
    m_zoom->setValue(4);
    m_zoom->setPrefix(Translate(QStringLiteral("Zoom")) + QStringLiteral(" x"));
    m_chart = new CTimelineChart(this, [this] { return view(); });
    m_horizontal = new QScrollBar(Qt::Horizontal);
    m_vertical = new QScrollBar(Qt::Vertical);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_requirements, 1);
    bar->addWidget(m_zoom);
    bar->addWidget(setupButton);
    bar->addWidget(printButton);
    auto* chartPage = new QWidget;
    auto* area = new QGridLayout(chartPage);
    area->setContentsMargins(0, 0, 0, 0);
    area->addWidget(m_chart, 0, 0);
    area->addWidget(m_vertical, 0, 1);
    area->addWidget(m_horizontal, 1, 0);
    m_needInfo = new QLabel;
    m_needInfo->setObjectName(QStringLiteral("needInfo"));
    // The second tab: the load of every resource across the open requirements.
    m_load = new CResourceLoadView;
    m_tabs = new QTabWidget;
    m_tabs->addTab(chartPage, Translate(QStringLiteral("Timeline")));
    m_tabs->addTab(m_load, Translate(QStringLiteral("Resource Load")));
    auto* main = new QVBoxLayout(this);
    main->addLayout(bar);
    main->addWidget(m_needInfo);
    main->addWidget(m_tabs, 1);

    const QStringList entries = RequirementEntries();
    m_requirements->addItems(entries);
    if (entries.isEmpty())
        ShowMessage(Translate(QStringLiteral("No requirements entered")));
    int selected = 0;
    for (int i = 0; i < entries.size(); ++i) {
        const QString order = entries[i].section(QLatin1Char(':'), 0, 0);
        const QString assembly = entries[i].section(QStringLiteral(":Assy:"), 1);
        if (!requirementOrAssembly.isEmpty() && (order == requirementOrAssembly || assembly == requirementOrAssembly))
            selected = i;
    }
    m_requirements->setCurrentIndex(entries.isEmpty() ? -1 : selected);
    load(true);

    connect(m_requirements, qOverload<int>(&QComboBox::activated), this, [this] { load(true); });
    connect(m_zoom, qOverload<int>(&QSpinBox::valueChanged), this, [this] {
        updateScrollRanges();
        m_chart->update();
    });
    connect(m_horizontal, &QScrollBar::valueChanged, m_chart, qOverload<>(&QWidget::update));
    connect(m_vertical, &QScrollBar::valueChanged, m_chart, qOverload<>(&QWidget::update));
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1)
            m_load->setLoad(ComputeResourceLoad(QDateTime::currentDateTime()));
    });
    connect(setupButton, &CImageButton::clicked, this, &CTimeline::setup);
    connect(printButton, &CImageButton::clicked, this, &CTimeline::print);
    resize(1000, 560);
}

QWidget* CTimeline::chart() const
{
    return m_chart;
}

ChartView CTimeline::view() const
{
    ChartView v;
    v.pixelsPerDay = std::max(1.0, m_chart->width() / 365.0 * m_zoom->value());
    v.firstDay = m_horizontal->value();
    v.firstRow = m_vertical->value();
    v.rowHeight = 22;
    v.labelWidth = 130;
    return v;
}

void CTimeline::updateScrollRanges()
{
    // An order dated before the requirement starts left of its day 0.
    m_horizontal->setRange(std::min(0, FirstBarDay(m_schedule) - 1), static_cast<int>(m_schedule.span / 86400));
    m_horizontal->setSingleStep(1);
    m_horizontal->setPageStep(7);
    m_vertical->setRange(0, std::max(0, static_cast<int>(m_schedule.items.size()) - 1));
    m_vertical->setSingleStep(1);
}

void CTimeline::setZoom(int zoom)
{
    m_zoom->setValue(zoom);
}

void CTimeline::load(bool toFirstBar)
{
    const QString entry = m_requirements->currentText();
    if (entry.isEmpty()) {
        m_schedule = Schedule{};
    } else {
        m_schedule = ComputeSchedule(entry.section(QLatin1Char(':'), 0, 0), QDateTime::currentDateTime());
    }
    updateScrollRanges();
    QString need;
    if (m_schedule.needDate.isValid()) {
        need = TranslateLabel(QStringLiteral("Need Date:")) + QLatin1Char(' ') + IsoDate(m_schedule.needDate);
        if (m_schedule.lateDays > 0)
            need += QStringLiteral("  -  ") + Translate(QStringLiteral("Late")) + QStringLiteral(": ")
                    + LateText(m_schedule.lateDays);
    }
    m_needInfo->setText(need);
    m_needInfo->setVisible(!need.isEmpty());
    if (m_tabs->currentIndex() == 1)
        m_load->setLoad(ComputeResourceLoad(QDateTime::currentDateTime()));
    if (toFirstBar) {
        // A requirement is often entered long before its orders: the chart
        // opens a day before the first bar, not on an empty stretch of months.
        m_horizontal->setValue(m_schedule.items.empty() ? 0 : FirstBarDay(m_schedule) - 1);
        m_vertical->setValue(0);
    }
    m_chart->update();
}

void CTimeline::showTab(int tab)
{
    m_tabs->setCurrentIndex(tab);
}

int CTimeline::firstDayShown() const
{
    return m_horizontal->value();
}

QString CTimeline::toolTipAt(const QPointF& position) const
{
    const int index = ScheduleItemAt(m_schedule, view(), QRectF(m_chart->rect()), position);
    if (index < 0)
        return QString();
    return ScheduleItemToolTip(m_schedule, m_schedule.items[static_cast<size_t>(index)]);
}

bool CTimeline::openItemAt(const QPointF& position)
{
    const int index = ScheduleItemAt(m_schedule, view(), QRectF(m_chart->rect()), position);
    if (index < 0)
        return false;
    const ScheduleItem& item = m_schedule.items[static_cast<size_t>(index)];
    bool opened = false;
    if (item.kind == ScheduleKind::PurchaseOrder) {
        if (ScheduledOrderOnFile(item.label))
            opened = RunWindowAction(WindowActions::PurchaseOrder, this, {item.label}) || true;
    } else {
        CTaskEdit editor(m_schedule.orderNumber, Format("%i", {item.taskNumber}), this);
        editor.exec();
        opened = true;
    }
    if (opened)
        load();
    return opened;
}

void CTimeline::setup()
{
    CTimelineSetup dialog(this);
    dialog.exec();
    if (dialog.changed())
        load();
}

void CTimeline::print()
{
    if (m_tabs->currentIndex() == 1) {
        PrintJob job;
        job.documentName = QStringLiteral("KOLT Resource Load");
        job.suggestedFile = QStringLiteral("KOLT Resource Load");
        job.orientation = QPageLayout::Landscape;
        job.pdfMarginMm = 10;
        const ResourceLoad& load = m_load->load();
        job.paint = [&load](QPagedPaintDevice& device) {
            return PaintResourceLoadPage(&device, load, QDateTime::currentDateTime());
        };
        RunPrintJob(this, job);
        return;
    }
    PrintJob job;
    job.documentName = QStringLiteral("KOLT Schedule");
    job.suggestedFile = QStringLiteral("KOLT Schedule ") + m_schedule.orderNumber;
    job.orientation = QPageLayout::Landscape;
    job.pdfMarginMm = 10;
    const QString entry = m_requirements->currentText();
    job.paint = [this, &entry](QPagedPaintDevice& device) {
        return PaintSchedulePage(&device, m_schedule, entry, QDateTime::currentDateTime());
    };
    RunPrintJob(this, job);
}

namespace {

// OK runs the dialog's own save, which closes it only when the values are stored.
QHBoxLayout* okCancelRow(QDialog* dialog, const std::function<void()>& save)
{
    auto* ok = new CImageButton(Translate(QStringLiteral("OK")), 0, 1, nullptr);
    ok->setObjectName(QStringLiteral("ok"));
    // A read-only desk looks; it does not save.
    ok->setEnabled(!DeskReadOnly());
    auto* cancel = new CImageButton(Translate(QStringLiteral("Cancel")), 0, 2, nullptr);
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    row->addWidget(cancel);
    QObject::connect(ok, &CImageButton::clicked, dialog, save);
    QObject::connect(cancel, &CImageButton::clicked, dialog, &QDialog::reject);
    return row;
}

} // namespace

CTaskEdit::CTaskEdit(const QString& orderNumber, const QString& taskNumber, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Task")));
    ApplyDarkLook(this);
    m_task = LoadTask(orderNumber, taskNumber);
    auto readOnly = [](const QString& text) {
        auto* edit = new QLineEdit(text);
        edit->setReadOnly(true);
        return edit;
    };
    auto* description = new QGroupBox(m_task.assembly.isEmpty() ? Translate(QStringLiteral("Task Description"))
                                                                 : m_task.assembly);
    auto* descriptionForm = new QFormLayout(description);
    descriptionForm->addRow(TranslateLabel(QStringLiteral("Step")), readOnly(m_task.step));
    descriptionForm->addRow(TranslateLabel(QStringLiteral("Description")), readOnly(m_task.description));
    descriptionForm->addRow(TranslateLabel(QStringLiteral("Resource")), readOnly(m_task.resource));
    // The step's hours are per unit; the task's work is for its count.
    auto* hours = readOnly(QString());
    hours->setObjectName(QStringLiteral("hours"));
    descriptionForm->addRow(TranslateLabel(QStringLiteral("Hours")), hours);

    auto* execute = new QGroupBox(Translate(QStringLiteral("Execute")));
    auto* executeForm = new QFormLayout(execute);
    m_actual = new QLineEdit(m_task.actual);
    m_count = new QLineEdit(m_task.count);
    m_status = new QComboBox;
    m_status->addItems({QStringLiteral("Pending"), QStringLiteral("In-Process"), QStringLiteral("Done")});
    if (m_status->findText(m_task.status) < 0 && !m_task.status.isEmpty())
        m_status->addItem(m_task.status);
    m_status->setCurrentText(m_task.status);
    executeForm->addRow(TranslateLabel(QStringLiteral("Actual")), m_actual);
    executeForm->addRow(TranslateLabel(QStringLiteral("Count")), m_count);
    executeForm->addRow(TranslateLabel(QStringLiteral("Status")), m_status);
    const auto showHours = [this, hours] {
        TaskRecord typed = m_task;
        typed.count = m_count->text();
        hours->setText(Format("%s  (%s h x %s)", {PlainNumber(TaskRecordHours(typed)), m_task.hours,
                                                  PlainNumber(TextToDouble(typed.count) > 0 ? TextToDouble(typed.count) : 1)}));
    };
    showHours();
    connect(m_count, &QLineEdit::textChanged, this, showHours);

    auto* main = new QVBoxLayout(this);
    main->addWidget(description);
    main->addWidget(execute);
    main->addLayout(okCancelRow(this, [this] { save(); }));
}

void CTaskEdit::save()
{
    m_task.actual = m_actual->text();
    m_task.count = m_count->text();
    m_task.status = m_status->currentText();
    bool stale = false;
    if (SaveTask(m_task, &stale)) {
        accept();
        return;
    }
    // Shown again as it is stored now; the dialog stays open on it.
    if (stale) {
        m_task = LoadTask(m_task.orderNumber, m_task.taskNumber);
        m_actual->setText(m_task.actual);
        m_count->setText(m_task.count);
        if (m_status->findText(m_task.status) < 0 && !m_task.status.isEmpty())
            m_status->addItem(m_task.status);
        m_status->setCurrentText(m_task.status);
    }
}

CTimelineSetup::CTimelineSetup(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(Translate(QStringLiteral("Timeline Setup")));
    ApplyDarkLook(this);
    m_opened = ReadTimelineSetup();
    auto* daysBox = new QGroupBox(Translate(QStringLiteral("Days Off")));
    auto* days = new QVBoxLayout(daysBox);
    // "Wednsday" is the label as the users know it.
    const char* names[7] = {"Sunday", "Monday", "Tuesday", "Wednsday", "Thursday", "Friday", "Saturday"};
    for (int d = 0; d < 7; ++d) {
        m_days[d] = new QCheckBox(Translate(QString::fromLatin1(names[d])));
        m_days[d]->setChecked((m_opened.daysOff >> d) & 1);
        days->addWidget(m_days[d]);
    }
    m_hours = new QLineEdit(Format("%i", {m_opened.hours}));
    auto* hoursRow = new QHBoxLayout;
    hoursRow->addWidget(new QLabel(TranslateLabel(QStringLiteral("Work Hours Per Day:"))));
    hoursRow->addWidget(m_hours);
    // Holidays sit beside the weekly days off; each is stored when added or
    // removed, as the koltctl command does.
    auto* holidaysBox = new QGroupBox(Translate(QStringLiteral("Holidays")));
    auto* holidays = new QVBoxLayout(holidaysBox);
    m_holidays = new QListWidget;
    m_holidays->setObjectName(QStringLiteral("holidays"));
    m_holidays->addItems(ReadHolidayDates());
    m_holidayDate = new QDateEdit(QDate::currentDate());
    m_holidayDate->setCalendarPopup(true);
    m_holidayDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    auto* add = new QPushButton(Translate(QStringLiteral("Add")));
    auto* remove = new QPushButton(Translate(QStringLiteral("Remove")));
    add->setEnabled(!DeskReadOnly());
    remove->setEnabled(!DeskReadOnly());
    auto* holidayRow = new QHBoxLayout;
    holidayRow->addWidget(m_holidayDate, 1);
    holidayRow->addWidget(add);
    holidayRow->addWidget(remove);
    holidays->addWidget(m_holidays);
    holidays->addLayout(holidayRow);
    connect(add, &QPushButton::clicked, this, [this] { addHoliday(m_holidayDate->date()); });
    connect(remove, &QPushButton::clicked, this, [this] {
        if (m_holidays->currentItem())
            removeHoliday(StoredDate(m_holidays->currentItem()->text()));
    });
    auto* calendar = new QHBoxLayout;
    calendar->addWidget(daysBox);
    calendar->addWidget(holidaysBox, 1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(calendar);
    main->addLayout(hoursRow);
    main->addLayout(okCancelRow(this, [this] { save(); }));
}

bool CTimelineSetup::addHoliday(const QDate& date)
{
    if (!date.isValid() || !AddHoliday(IsoDate(date), QString())) {
        ShowMessage(TranslateLabel(QStringLiteral("Nothing was written; the database refused a change:"))
                        + QLatin1Char('\n') + LastErrorText(),
                    QStringLiteral("Database Status"));
        return false;
    }
    m_holidaysChanged = true;
    m_holidays->clear();
    m_holidays->addItems(ReadHolidayDates());
    return true;
}

bool CTimelineSetup::removeHoliday(const QDate& date)
{
    if (RemoveHoliday(IsoDate(date)) < 0)
        return false;
    m_holidaysChanged = true;
    m_holidays->clear();
    m_holidays->addItems(ReadHolidayDates());
    return true;
}

void CTimelineSetup::save()
{
    TimelineSetupValues values;
    values.daysOff = 0;
    for (int d = 0; d < 7; ++d)
        if (m_days[d]->isChecked())
            values.daysOff |= 1 << d;
    values.hours = TextToInt(m_hours->text());
    m_changed = SaveTimelineSetup(m_opened, values) || m_holidaysChanged;
    accept();
}
