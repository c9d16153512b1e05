#pragma once
// The windows of scheduling: the timeline, the task editor and the working
// time setup.
#include "schedule/resourceload.h"
#include "schedule/schedule.h"
#include "schedule/schedulechart.h"
#include "schedule/taskrecord.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QListWidget;
class QLineEdit;
class QScrollBar;
class QSpinBox;

class CTimelineChart;
class QLabel;
class QTabWidget;

// The resource load as a table painted on the timeline's second tab.
class CResourceLoadView : public QWidget
{
    Q_OBJECT
public:
    explicit CResourceLoadView(QWidget* parent = nullptr);
    void setLoad(const ResourceLoad& load);
    const ResourceLoad& load() const { return m_load; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ResourceLoad m_load;
};

class CTimeline : public QDialog
{
    Q_OBJECT
public:
    // Selects the requirement whose number (or assembly) is given, else the first.
    explicit CTimeline(const QString& requirementOrAssembly = {}, QWidget* parent = nullptr);

    const Schedule& schedule() const { return m_schedule; }
    QWidget* chart() const;
    // Computes the schedule again; toFirstBar scrolls to the day the first bar
    // starts (on opening and for another requirement), else the view stays.
    void load(bool toFirstBar = false);
    // The first day and row on view.
    int firstDayShown() const;
    // The tooltip at a chart position; empty where there is no bar.
    QString toolTipAt(const QPointF& position) const;
    void setZoom(int zoom);
    // Opens the item under a chart position; true when one was opened.
    bool openItemAt(const QPointF& position);
    // 0 the timeline, 1 the resource load.
    void showTab(int tab);
    CResourceLoadView* loadView() const { return m_load; }

private:
    void setup();
    void print();
    ChartView view() const;
    void updateScrollRanges();

    Schedule m_schedule;
    QLabel* m_needInfo = nullptr;
    QTabWidget* m_tabs = nullptr;
    CResourceLoadView* m_load = nullptr;
    QComboBox* m_requirements = nullptr;
    QSpinBox* m_zoom = nullptr;
    CTimelineChart* m_chart = nullptr;
    QScrollBar* m_horizontal = nullptr;
    QScrollBar* m_vertical = nullptr;
};

class CTaskEdit : public QDialog
{
    Q_OBJECT
public:
    CTaskEdit(const QString& orderNumber, const QString& taskNumber, QWidget* parent = nullptr);
    void save(); // "OK"

    QLineEdit* actualEdit() const { return m_actual; }
    QLineEdit* countEdit() const { return m_count; }
    QComboBox* statusList() const { return m_status; }

private:
    TaskRecord m_task;
    QLineEdit* m_actual = nullptr;
    QLineEdit* m_count = nullptr;
    QComboBox* m_status = nullptr;
};

class CTimelineSetup : public QDialog
{
    Q_OBJECT
public:
    explicit CTimelineSetup(QWidget* parent = nullptr);
    void save(); // "OK"
    bool changed() const { return m_changed; }

    QCheckBox* dayBox(int weekday) const { return m_days[weekday]; }
    QLineEdit* hoursEdit() const { return m_hours; }
    QListWidget* holidayList() const { return m_holidays; }
    // Stores or removes a holiday at once and shows the list again.
    bool addHoliday(const QDate& date);
    bool removeHoliday(const QDate& date);

private:
    TimelineSetupValues m_opened;
    bool m_changed = false;
    bool m_holidaysChanged = false;
    QListWidget* m_holidays = nullptr;
    QDateEdit* m_holidayDate = nullptr;
    QCheckBox* m_days[7] = {};
    QLineEdit* m_hours = nullptr;
};
