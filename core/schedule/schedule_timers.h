// The logic behind the sending window's two schedule timers, without a window. The window owns the QTimers
// and hands them over; its timer handlers call onTimeout() and act on the answer:
//
//   ScheduleCheck (TimerSch, one tick a second): a countdown, then a check of the scheduled task.
//     startCountdown(scheduleCountdownOnOpen, TaskObj.Enabled) when the window opens;
//     TimerSchTimer: switch (m_check.onTimeout(TaskObj)) {
//       CountingDown:  panel 5 := m_check.countdownText(msl 40)   "Schedule mailing (00:00:59)"
//       CountdownOver: panel 5 := msl 40                          checks start at the next tick
//       Waiting:       nothing                                    not due yet, or a series pause
//       StartRun:      StartSending(true)                         the timer is already off
//       Off:           nothing                                    task disabled; the timer is off
//     }
//   SeriesPause (TimerSer): the pause between the parts of a series.
//     at a series cut: TaskObj.SetSeriesPause(); m_pause.start(SeriesObj.pauseMilliseconds());
//     TimerSerTimer: if (m_pause.onTimeout()) { SeriesObj.SentInPart = 0; StartSending(true); }
//     Stop and the end of a run: m_pause.stop().
//   The schedule button: scheduleButtonClick(m_check, m_pause) in core/schedule/schedule_dialog.h.
//
// Deadlines are taken from Clock::tickCount (monotonic), so a countdown or a pause runs its length across
// midnight or a change of the wall clock. A pause is a 64-bit length armed in chunks of at most an hour,
// since a QTimer interval is an int of milliseconds (MailPause may be millions of minutes).
#pragma once

#include <QString>
#include <QtGlobal>

class QTimer;
class TTaskObj;

inline constexpr qint64 scheduleCountdownOnOpen = 60 * 1000;      // the sending window opens
inline constexpr qint64 scheduleCountdownAfterDialog = 5 * 1000;  // the schedule dialog was saved
inline constexpr int scheduleTickMilliseconds = 1000;
inline constexpr int seriesPauseChunkMilliseconds = 60 * 60 * 1000;

// What TimerSch's tick asks of the window.
enum class ScheduleTick {
    CountingDown,    // the countdown runs on: show countdownText()
    CountdownOver,   // the countdown has ended: show the plain schedule text
    Waiting,         // the task is not due, or a series pause is under way
    StartRun,        // the task is due: start sending; the timer is off
    Off,             // the task is disabled: the timer is off
};

class ScheduleCheck {
public:
    explicit ScheduleCheck(QTimer& timer);
    Q_DISABLE_COPY_MOVE(ScheduleCheck)

    // Countdown of milliseconds from now, then checks; the timer runs exactly when taskEnabled.
    void startCountdown(qint64 milliseconds, bool taskEnabled);
    // TimerSch fired. A task disabled during the countdown stops the timer too.
    ScheduleTick onTimeout(const TTaskObj& task);
    void stop();
    // Around the schedule dialog: the timer stopped, then given back its running state (the countdown
    // deadline stays where it was).
    void suspend();
    void resume();

    bool countingDown() const { return m_countingDown; }
    qint64 countdownRemaining() const;   // milliseconds, 0 once reached
    // scheduleText + " (hh:mm:ss)" with the countdown's remaining time.
    QString countdownText(const QString& scheduleText) const;

private:
    QTimer& m_timer;
    bool m_countingDown = false;   // the timer's Tag 1
    qint64 m_deadline = 0;         // tick count at which the countdown ends
    bool m_wasActive = false;
};

class SeriesPause {
public:
    explicit SeriesPause(QTimer& timer);   // the timer is made single-shot
    Q_DISABLE_COPY_MOVE(SeriesPause)

    // A pause of milliseconds from now (0 or less: the timer fires at once).
    void start(qint64 milliseconds);
    // TimerSer fired: true when the pause is over (the timer stays off), else the next chunk is armed.
    bool onTimeout();
    void stop();
    // Around the schedule dialog: the timer stopped, then re-armed for what is left of a running pause.
    void suspend();
    void resume();

    bool isActive() const { return m_active; }
    qint64 remainingMilliseconds() const;   // 0 when no pause runs or it is over

private:
    void armNextChunk();

    QTimer& m_timer;
    bool m_active = false;
    qint64 m_deadline = 0;
};
