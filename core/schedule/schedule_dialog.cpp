// The schedule dialog: see schedule_dialog.h.

#include "core/schedule/schedule_dialog.h"

#include "core/base/widget_factory.h"
#include "core/language/msg_language.h"
#include "core/schedule/schedule_timers.h"
#include "core/base/window_host.h"
#include "core/base/user_date_format.h"
#include "platform/clock.h"
#include "platform/message_box_flags.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

enum ScheduleMessage { MsgCurrentTime = 0, MsgFileSaveError = 1, MsgAttention = 2 };

constexpr int spinMinimum = 1;
constexpr int spinMaximum = 9999999;

const QStringList& weekdayNames()
{
    static const QStringList names{
        QStringLiteral("Monday "), QStringLiteral("Tuesday"), QStringLiteral("Wednesday"), QStringLiteral("Thursday"),
        QStringLiteral("Friday"), QStringLiteral("Saturday"), QStringLiteral("Sunday")};
    return names;
}

const QStringList& monthNames()
{
    static const QStringList names{
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"), QStringLiteral("April"),
        QStringLiteral("May"), QStringLiteral("June"), QStringLiteral("July"), QStringLiteral("August"),
        QStringLiteral("September"), QStringLiteral("October"), QStringLiteral("November"),
        QStringLiteral("December")};
    return names;
}

QSpinBox* spinEdit(QWidget* parent, const char* name)
{
    auto* spin = named(new QSpinBox(parent), name);
    spin->setRange(spinMinimum, spinMaximum);
    return spin;
}

QDateEdit* dateEdit(QWidget* parent, const char* name)
{
    auto* edit = named(new QDateEdit(Clock::instance().now().date(), parent), name);
    edit->setDisplayFormat(userDateFormat());
    edit->setCalendarPopup(true);
    return edit;
}

QTimeEdit* timeEdit(QWidget* parent, const char* name)
{
    auto* edit = named(new QTimeEdit(parent), name);
    edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    return edit;
}

QListWidget* checkList(QWidget* parent, const char* name, const QStringList& items)
{
    auto* list = named(new QListWidget(parent), name);
    for (const QString& text : items) {
        auto* item = new QListWidgetItem(text, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    return list;
}

// Item i checked exactly when bit i of bits is set.
void checkBits(QListWidget* list, int bits)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState((bits >> i) & 1 ? Qt::Checked : Qt::Unchecked);
}

int checkedBits(const QListWidget* list)
{
    int bits = 0;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->checkState() == Qt::Checked)
            bits |= 1 << i;
    return bits;
}

QWidget* page(QWidget* parent, const QList<QPair<QString, QWidget*>>& rows)
{
    auto* widget = new QWidget(parent);
    auto* layout = new QFormLayout(widget);
    for (const auto& [label, field] : rows) {
        layout->addRow(label, field);   // the row's label is the field's buddy
        if (qobject_cast<QListWidget*>(field))
            field->setAccessibleName(label);   // a list takes no buddy: screen readers read its own name
    }
    return widget;
}

}  // namespace

T_Schedule::T_Schedule(QWidget* parent)
    : QDialog(parent),
      lblTime(named(new QLabel(this), "lblTime")),
      cbEnabled(named(new QCheckBox(tr("Schedule enabled"), this), "cbEnabled")),
      dpStart(dateEdit(this, "dpStart")),
      dpEnd(dateEdit(this, "dpEnd")),
      dpStartTime(timeEdit(this, "dpStartTime")),
      dpEndTm(timeEdit(this, "dpEndTm")),
      pgC(named(new QTabWidget(this), "pgC")),
      seDaily(spinEdit(this, "seDaily")),
      clbWeekly(checkList(this, "clbWeekly", weekdayNames())),
      seDayOfMonth(spinEdit(this, "seDayOfMonth")),
      clbM(checkList(this, "clbM", monthNames())),
      dpOnce(dateEdit(this, "dpOnce")),
      eStarted(named(new QLineEdit(this), "eStarted")),
      eLastCnt(named(new QLineEdit(this), "eLastCnt")),
      SpeedButton4(named(new QPushButton(QStringLiteral("clear"), this), "SpeedButton4")),
      cbSeries(named(new QCheckBox(tr("Send in series"), this), "cbSeries")),
      seMailCount(spinEdit(this, "seMailCount")),
      seMailPause(spinEdit(this, "seMailPause")),
      sbSave(named(new QPushButton(QStringLiteral("Save"), this), "sbSave")),
      SpeedButton11(named(new QPushButton(QStringLiteral("Cancel"), this), "SpeedButton11")),
      msl(new TMsgLanguage(this, {QStringLiteral("Current PC date and time is ("), QStringLiteral("File Save Error"),
                                  QStringLiteral("Attention")}))
{
    setObjectName(QStringLiteral("_Schedule"));
    setWindowTitle(QStringLiteral("Schedule"));
    msl->setObjectName(QStringLiteral("msl"));
    eStarted->setReadOnly(true);
    eLastCnt->setReadOnly(true);

    pgC->addTab(page(pgC, {{tr("Every (days)"), seDaily}}), QStringLiteral("Daily "));
    pgC->addTab(page(pgC, {{tr("Days"), clbWeekly}}), QStringLiteral("Weekly "));
    pgC->addTab(page(pgC, {{tr("Day of month"), seDayOfMonth}, {tr("Months"), clbM}}), QStringLiteral("Monthly"));
    pgC->addTab(page(pgC, {{tr("Date"), dpOnce}}), QStringLiteral("Once "));

    auto* window = new QGridLayout;
    window->addWidget(makeFieldLabel(dpStart, tr("Start")), 0, 0);
    window->addWidget(dpStart, 0, 1);
    window->addWidget(dpStartTime, 0, 2);
    window->addWidget(makeFieldLabel(dpEnd, tr("End")), 1, 0);
    window->addWidget(dpEnd, 1, 1);
    window->addWidget(dpEndTm, 1, 2);
    dpStartTime->setAccessibleName(tr("Start time"));   // beside the date, under the same label
    dpEndTm->setAccessibleName(tr("End time"));

    auto* lastRun = new QHBoxLayout;
    lastRun->addWidget(makeFieldLabel(eStarted, tr("Last started")));
    lastRun->addWidget(eStarted, 1);
    lastRun->addWidget(makeFieldLabel(eLastCnt, tr("Runs")));
    lastRun->addWidget(eLastCnt);
    lastRun->addWidget(SpeedButton4);

    auto* series = new QFormLayout;
    series->addRow(cbSeries);
    series->addRow(tr("Messages per part"), seMailCount);
    series->addRow(tr("Pause (minutes)"), seMailPause);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sbSave);
    buttons->addWidget(SpeedButton11);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTime);
    layout->addWidget(cbEnabled);
    layout->addLayout(window);
    layout->addWidget(pgC);
    layout->addLayout(lastRun);
    layout->addLayout(series);
    layout->addLayout(buttons);

    sbSave->setDefault(true);
    connect(sbSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(SpeedButton11, &QPushButton::clicked, this, &QDialog::reject);
    connect(SpeedButton4, &QPushButton::clicked, this, &T_Schedule::SpeedButton4Click);
}

void T_Schedule::fillControls(const TTaskObj& task, const TSeriesObj& series)
{
    lblTime->setText(msl->text(MsgCurrentTime) + userDateTimeText(Clock::instance().now()) + QLatin1Char(')'));
    cbEnabled->setChecked(task.Enabled);
    if (task.StartDt.isValid())
        dpStart->setDate(task.StartDt);
    if (task.EndDt.isValid())
        dpEnd->setDate(task.EndDt);
    if (task.StartTm.isValid())
        dpStartTime->setTime(task.StartTm);
    if (task.EndTm.isValid())
        dpEndTm->setTime(task.EndTm);
    seDaily->setValue(task.Daily);
    seDayOfMonth->setValue(task.DayOfMonth);
    eStarted->setText(task.LastDt.isValid() ? task.LastDt.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")) : QString());
    eLastCnt->setText(QString::number(task.Count));
    pgC->setCurrentIndex(int(task.HowRun));
    checkBits(clbWeekly, task.Weekly);
    checkBits(clbM, task.Monthly);
    if (task.OnceDt.isValid())
        dpOnce->setDate(task.OnceDt);
    cbSeries->setChecked(series.Series);
    seMailCount->setValue(series.MailCount);
    seMailPause->setValue(series.MailPause);
}

void T_Schedule::takeControls(TTaskObj& task, TSeriesObj& series) const
{
    task.Enabled = cbEnabled->isChecked();
    task.StartDt = dpStart->date();
    task.EndDt = dpEnd->date();
    task.StartTm = dpStartTime->time();
    task.EndTm = dpEndTm->time();
    task.Daily = seDaily->value();
    task.DayOfMonth = seDayOfMonth->value();
    task.OnceDt = dpOnce->date();
    task.HowRun = TaskHowRun(pgC->currentIndex());
    task.Weekly = checkedBits(clbWeekly);
    task.Monthly = checkedBits(clbM);
    series.Series = cbSeries->isChecked();
    series.MailCount = seMailCount->value();
    series.MailPause = seMailPause->value();
}

void T_Schedule::SpeedButton4Click()
{
    eStarted->clear();
    eLastCnt->clear();
    m_task.LastDt = QDateTime();
    m_task.Count = 0;
}

bool ScheduleDialogExecute()
{
    T_Schedule form(WindowHost::mainWindow());
    WindowHost::requestTranslation(&form);
    form.task().LoadFromIni();
    form.series().LoadFromIni();
    form.fillControls(form.task(), form.series());
    if (form.exec() != QDialog::Accepted)
        return false;
    form.takeControls(form.task(), form.series());
    TaskObj.takeSettings(form.task());
    SeriesObj.takeSettings(form.series());
    if (!SaveScheduleToIni(TaskObj, SeriesObj))
        ShowMessageBox(form.msl->text(MsgFileSaveError) + QStringLiteral(" : ") + scheduleFilePath(),
                       form.msl->text(MsgAttention), MB_ICONINFORMATION);
    return true;
}

bool scheduleButtonClick(ScheduleCheck& check, SeriesPause& pause)
{
    check.suspend();
    pause.suspend();
    const bool saved = ScheduleDialogExecute();
    if (saved)
        check.startCountdown(scheduleCountdownAfterDialog, TaskObj.Enabled);
    else
        check.resume();
    pause.resume();
    return saved;
}
