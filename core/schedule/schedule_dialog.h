// T_Schedule: the schedule dialog ("Schedule") that edits the project's scheduled task and series setting,
// run by ScheduleDialogExecute. It reads both afresh from the project file into its own copies, so Cancel
// leaves TaskObj and SeriesObj (and a series under way) as they were; Save copies the edited settings into
// them and writes the "MailTask" section, and a failed write is reported. scheduleButtonClick wraps it
// for the sending window's schedule button.
#pragma once

#include "core/schedule/schedule_objects.h"

#include <QDialog>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTimeEdit;
class TMsgLanguage;
class ScheduleCheck;
class SeriesPause;

class T_Schedule : public QDialog {
    Q_OBJECT

public:
    explicit T_Schedule(QWidget* parent = nullptr);

    // The controls from task and series (dates and times only where valid).
    void fillControls(const TTaskObj& task, const TSeriesObj& series);
    // The stored settings from the controls into task and series; what the controls do not hold (LastDt,
    // Count, the run state and the series counters) stays.
    void takeControls(TTaskObj& task, TSeriesObj& series) const;

    TTaskObj& task() { return m_task; }
    TSeriesObj& series() { return m_series; }

    void SpeedButton4Click();   // "clear": the last run and the run count forgotten

    QLabel* lblTime;
    QCheckBox* cbEnabled;
    QDateEdit* dpStart;
    QDateEdit* dpEnd;
    QTimeEdit* dpStartTime;
    QTimeEdit* dpEndTm;
    QTabWidget* pgC;            // pages in TaskHowRun order
    QSpinBox* seDaily;
    QListWidget* clbWeekly;     // Monday .. Sunday
    QSpinBox* seDayOfMonth;
    QListWidget* clbM;          // January .. December
    QDateEdit* dpOnce;
    QLineEdit* eStarted;
    QLineEdit* eLastCnt;
    QPushButton* SpeedButton4;
    QCheckBox* cbSeries;
    QSpinBox* seMailCount;
    QSpinBox* seMailPause;
    QPushButton* sbSave;
    QPushButton* SpeedButton11;
    TMsgLanguage* msl;

private:
    TTaskObj m_task;
    TSeriesObj m_series;
};

// Shows T_Schedule over the project's task and series; true when the user saved.
bool ScheduleDialogExecute();

// The sending window's schedule button: both timers held while the dialog is open. Saved: the countdown
// of scheduleCountdownAfterDialog starts (the timer runs when the task is enabled); cancelled: the check
// timer runs on as before. A running series pause goes on in both cases. True when saved (the window then
// refreshes its status bar).
bool scheduleButtonClick(ScheduleCheck& check, SeriesPause& pause);
