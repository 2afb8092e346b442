// TTaskObj and TSeriesObj: the open project's scheduled task (run the mailing on certain days inside a
// window of dates and times) and its send-in-series setting (parts of MailCount messages, MailPause minutes
// apart). Both are kept in the section "MailTask" of the project file (PathPro + ProjectName + ".eml"),
// written key by key so every other section and key of the file stays as it was. A missing file or key and
// an unreadable date or time keep the defaults. The due test is core/schedule/schedule_due.h; the timers that drive
// both objects are core/schedule/schedule_timers.h. TaskObj and SeriesObj are the program's one task and series.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QtGlobal>

class IniFile;

inline constexpr char mailTaskSection[] = "MailTask";

// How often the task runs; stored as 1, 2, 4, 8.
enum class TaskHowRun { Daily = 0, Weekly = 1, Monthly = 2, Once = 3 };

// The task's run state; not stored.
enum TaskState : quint8 {
    taskIdle = 0,          // nothing pending
    taskSeriesPause = 3,   // waiting between the parts of a series
};

class TTaskObj {
public:
    quint8 state = taskIdle;
    bool Enabled = false;
    QDate StartDt;            // first day of the window
    QTime StartTm;            // earliest time on a run day
    QDate EndDt;              // last day of the window
    QTime EndTm;              // latest time on the last day
    QDateTime LastDt;         // start of the last run; invalid: never run
    TaskHowRun HowRun = TaskHowRun::Daily;
    int Daily = 1;            // run every Daily days
    int Weekly = 0;           // bit 0 Monday .. bit 6 Sunday
    int Monthly = 1;          // bit 0 January .. bit 11 December
    int DayOfMonth = 1;       // day of a monthly run, cut to the length of the month
    QDate OnceDt;             // the day of a once-only run
    int Count = 0;            // completed runs

    // Not enabled, from today at the current time until the same day next month at one hour later (at the
    // end of that day when the hour would pass midnight), daily, never run; state idle.
    void SetDefaults();
    // SetDefaults, then every key of "MailTask" over the defaults. The no-argument forms use the project file.
    void LoadFromIni();
    void LoadFromIni(const IniFile& ini);
    // Writes every key in its order (dates, times and LastDt in the user's formats, core/base/user_date_format.h).
    // Answers false with *error when the project file cannot be written; the old file then stays.
    bool SaveToIni(QString* error = nullptr) const;
    void SaveToIni(IniFile& ini) const;
    // A run ended: state idle, Count + 1, LastDt := now, saved.
    bool MarkRun(QString* error = nullptr);
    // The task is due now (Clock::instance()); see IsTaskDue (defined with it in schedule_due.cpp).
    bool IsDue() const;
    void SetSeriesPause() { state = taskSeriesPause; }
    // Every stored field of other, this object's state kept.
    void takeSettings(const TTaskObj& other);
};

class TSeriesObj {
public:
    bool Series = false;
    int MailCount = 1000;     // messages per part
    int SentInPart = 0;       // messages handed over in the current part; not stored
    int MailPause = 1;        // minutes between parts
    int NextStartRow = 0;     // list row where the next part starts, 0: none; not stored

    void SetDefaults();
    void LoadFromIni();
    void LoadFromIni(const IniFile& ini);
    bool SaveToIni(QString* error = nullptr) const;
    void SaveToIni(IniFile& ini) const;
    // Series, MailCount and MailPause of other; the counters of this object kept.
    void takeSettings(const TSeriesObj& other);

    // The sending window cuts the list into parts only when this holds.
    bool on() const { return Series && MailCount > 0 && MailPause > 0; }
    // The pause between parts in milliseconds; 64 bits, MailPause may be millions of minutes.
    qint64 pauseMilliseconds() const { return qint64(MailPause) * 60 * 1000; }
};

// Both written in one rewrite of the project file (the schedule dialog's Save).
bool SaveScheduleToIni(const TTaskObj& task, const TSeriesObj& series, QString* error = nullptr);

// The project file the two objects read and write.
QString scheduleFilePath();

extern TTaskObj TaskObj;
extern TSeriesObj SeriesObj;
