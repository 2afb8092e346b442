// The scheduled task and the series setting of the project: see schedule_objects.h.

#include "core/schedule/schedule_objects.h"

#include "core/project/project_files.h"
#include "core/settings/ini_section.h"
#include "core/base/user_date_format.h"
#include "platform/clock.h"
#include "platform/ini_file.h"

TTaskObj TaskObj;
TSeriesObj SeriesObj;

namespace {

const QString kSection = QString::fromLatin1(mailTaskSection);

// HowRun as stored: one bit per kind.
int storedHowRun(TaskHowRun howRun)
{
    switch (howRun) {
    case TaskHowRun::Daily: return 1;
    case TaskHowRun::Weekly: return 2;
    case TaskHowRun::Monthly: return 4;
    case TaskHowRun::Once: return 8;
    }
    Q_UNREACHABLE();
}

TaskHowRun howRunOfStored(int stored)
{
    switch (stored) {
    case 8: return TaskHowRun::Once;
    case 4: return TaskHowRun::Monthly;
    case 2: return TaskHowRun::Weekly;
    default: return TaskHowRun::Daily;
    }
}

using TaskField = IniField<TTaskObj>;
using SeriesField = IniField<TSeriesObj>;

// A date or time member stored in the user's format; a missing, empty or unreadable text keeps the member.
template <QDate TTaskObj::*member>
TaskField dateField(const char* key)
{
    return TaskField::textCodec(
        key, [](const TTaskObj& task) { return userDateText(task.*member); },
        [](TTaskObj& task, const QString& stored) {
            if (const QDate date = parseUserDate(stored); date.isValid())
                task.*member = date;
        });
}

template <QTime TTaskObj::*member>
TaskField timeField(const char* key)
{
    return TaskField::textCodec(
        key, [](const TTaskObj& task) { return userTimeText(task.*member); },
        [](TTaskObj& task, const QString& stored) {
            if (const QTime time = parseUserTime(stored); time.isValid())
                task.*member = time;
        });
}

// The old program wrote "never run" as its zero date, 30 December 1899.
void takeLastRun(TTaskObj& task, const QString& stored)
{
    const QDateTime dateTime = parseUserDateTime(stored);
    if (dateTime.isValid())
        task.LastDt = dateTime.date() <= QDate(1899, 12, 30) ? QDateTime() : dateTime;
}

const TaskField taskFields[] = {
    TaskField::boolField("Enabled", &TTaskObj::Enabled),
    dateField<&TTaskObj::StartDt>("StartDt"),
    timeField<&TTaskObj::StartTm>("StartTm"),
    dateField<&TTaskObj::EndDt>("EndDt"),
    timeField<&TTaskObj::EndTm>("EndTm"),
    TaskField::textCodec(
        "LastDt", [](const TTaskObj& task) { return userDateTimeText(task.LastDt); }, takeLastRun),
    TaskField::intCodec(
        "HowRun", [](const TTaskObj& task) { return storedHowRun(task.HowRun); },
        [](TTaskObj& task, int stored) { task.HowRun = howRunOfStored(stored); })
        .orNumber(1),
    TaskField::intField("Daily", &TTaskObj::Daily),
    TaskField::intField("Weekly", &TTaskObj::Weekly),
    TaskField::intField("Monthly", &TTaskObj::Monthly),
    TaskField::intField("DayOfMonth", &TTaskObj::DayOfMonth),
    dateField<&TTaskObj::OnceDt>("OnceDt"),
    TaskField::intField("Count", &TTaskObj::Count),
};

const SeriesField seriesFields[] = {
    SeriesField::boolField("Series", &TSeriesObj::Series),
    SeriesField::intField("MailCount", &TSeriesObj::MailCount),
    SeriesField::intField("MailPause", &TSeriesObj::MailPause),
};

}  // namespace

QString scheduleFilePath()
{
    return ProjectFilePath(QString::fromLatin1(projectExtension));
}

void TTaskObj::SetDefaults()
{
    const QDateTime now = Clock::instance().now();
    const QTime time = QTime(now.time().hour(), now.time().minute(), now.time().second());
    state = taskIdle;
    Enabled = false;
    StartDt = now.date();
    StartTm = time;
    EndDt = now.date().addMonths(1);
    // One hour later, but not past the end of the day: EndTm is a time of day on EndDt.
    EndTm = time.hour() < 23 ? time.addSecs(3600) : QTime(23, 59, 59);
    LastDt = QDateTime();
    HowRun = TaskHowRun::Daily;
    Daily = 1;
    Weekly = 0;
    Monthly = 1;
    DayOfMonth = 1;
    OnceDt = now.date();
    Count = 0;
}

void TTaskObj::LoadFromIni()
{
    LoadFromIni(IniFile(scheduleFilePath()));
}

void TTaskObj::LoadFromIni(const IniFile& ini)
{
    SetDefaults();
    readIniSection<TTaskObj>(ini, kSection, taskFields, *this);
}

bool TTaskObj::SaveToIni(QString* error) const
{
    IniFile ini(scheduleFilePath());
    SaveToIni(ini);
    return ini.updateFile(error);
}

void TTaskObj::SaveToIni(IniFile& ini) const
{
    writeIniSection<TTaskObj>(ini, kSection, taskFields, *this);
}

bool TTaskObj::MarkRun(QString* error)
{
    state = taskIdle;
    ++Count;
    const QDateTime now = Clock::instance().now();
    LastDt = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return SaveToIni(error);
}

void TTaskObj::takeSettings(const TTaskObj& other)
{
    const quint8 kept = state;
    *this = other;
    state = kept;
}

void TSeriesObj::SetDefaults()
{
    *this = TSeriesObj();
}

void TSeriesObj::LoadFromIni()
{
    LoadFromIni(IniFile(scheduleFilePath()));
}

void TSeriesObj::LoadFromIni(const IniFile& ini)
{
    SetDefaults();
    readIniSection<TSeriesObj>(ini, kSection, seriesFields, *this);
}

bool TSeriesObj::SaveToIni(QString* error) const
{
    IniFile ini(scheduleFilePath());
    SaveToIni(ini);
    return ini.updateFile(error);
}

void TSeriesObj::SaveToIni(IniFile& ini) const
{
    writeIniSection<TSeriesObj>(ini, kSection, seriesFields, *this);
}

void TSeriesObj::takeSettings(const TSeriesObj& other)
{
    Series = other.Series;
    MailCount = other.MailCount;
    MailPause = other.MailPause;
}

bool SaveScheduleToIni(const TTaskObj& task, const TSeriesObj& series, QString* error)
{
    IniFile ini(scheduleFilePath());
    task.SaveToIni(ini);
    series.SaveToIni(ini);
    return ini.updateFile(error);
}
