#pragma once
// The windows of scheduling: the timeline, the task editor and the working
// time setup.
#include "schedule/schedule.h"
#include "schedule/schedulechart.h"
#include "schedule/taskrecord.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScrollBar;
class QSpinBox;

class CTimelineChart;

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

private:
    void setup();
    void print();
    ChartView view() const;
    void updateScrollRanges();

    Schedule m_schedule;
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

private:
    TimelineSetupValues m_opened;
    bool m_changed = false;
    QCheckBox* m_days[7] = {};
    QLineEdit* m_hours = nullptr;
};
