// The scheduled task and the series setting of the project: see schedule_objects.h.

#include "core/schedule_objects.h"

#include "core/project_files.h"
#include "core/schedule_due.h"
#include "core/user_date_format.h"
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

// The date or time of key; current when the key is missing, empty or unreadable.
QDate readDate(const IniFile& ini, const char* key, const QDate& current)
{
    const QDate date = parseUserDate(ini.readString(kSection, QString::fromLatin1(key), QString()));
    return date.isValid() ? date : current;
}

QTime readTime(const IniFile& ini, const char* key, const QTime& current)
{
    const QTime time = parseUserTime(ini.readString(kSection, QString::fromLatin1(key), QString()));
    return time.isValid() ? time : current;
}

// The old program wrote "never run" as its zero date, 30 December 1899.
QDateTime readLastRun(const IniFile& ini, const QDateTime& current)
{
    const QDateTime dateTime = parseUserDateTime(ini.readString(kSection, QStringLiteral("LastDt"), QString()));
    if (!dateTime.isValid())
        return current;
    return dateTime.date() <= QDate(1899, 12, 30) ? QDateTime() : dateTime;
}

int readInteger(const IniFile& ini, const char* key, int current)
{
    return ini.readInteger(kSection, QString::fromLatin1(key), current);
}

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
    Enabled = ini.readBool(kSection, QStringLiteral("Enabled"), Enabled);
    StartDt = readDate(ini, "StartDt", StartDt);
    StartTm = readTime(ini, "StartTm", StartTm);
    EndDt = readDate(ini, "EndDt", EndDt);
    EndTm = readTime(ini, "EndTm", EndTm);
    LastDt = readLastRun(ini, LastDt);
    HowRun = howRunOfStored(readInteger(ini, "HowRun", 1));
    Daily = readInteger(ini, "Daily", Daily);
    Weekly = readInteger(ini, "Weekly", Weekly);
    Monthly = readInteger(ini, "Monthly", Monthly);
    DayOfMonth = readInteger(ini, "DayOfMonth", DayOfMonth);
    OnceDt = readDate(ini, "OnceDt", OnceDt);
    Count = readInteger(ini, "Count", Count);
}

bool TTaskObj::SaveToIni(QString* error) const
{
    IniFile ini(scheduleFilePath());
    SaveToIni(ini);
    return ini.updateFile(error);
}

void TTaskObj::SaveToIni(IniFile& ini) const
{
    ini.writeBool(kSection, QStringLiteral("Enabled"), Enabled);
    ini.writeString(kSection, QStringLiteral("StartDt"), userDateText(StartDt));
    ini.writeString(kSection, QStringLiteral("StartTm"), userTimeText(StartTm));
    ini.writeString(kSection, QStringLiteral("EndDt"), userDateText(EndDt));
    ini.writeString(kSection, QStringLiteral("EndTm"), userTimeText(EndTm));
    ini.writeString(kSection, QStringLiteral("LastDt"), userDateTimeText(LastDt));
    ini.writeInteger(kSection, QStringLiteral("HowRun"), storedHowRun(HowRun));
    ini.writeInteger(kSection, QStringLiteral("Daily"), Daily);
    ini.writeInteger(kSection, QStringLiteral("Weekly"), Weekly);
    ini.writeInteger(kSection, QStringLiteral("Monthly"), Monthly);
    ini.writeInteger(kSection, QStringLiteral("DayOfMonth"), DayOfMonth);
    ini.writeString(kSection, QStringLiteral("OnceDt"), userDateText(OnceDt));
    ini.writeInteger(kSection, QStringLiteral("Count"), Count);
}

bool TTaskObj::MarkRun(QString* error)
{
    state = taskIdle;
    ++Count;
    const QDateTime now = Clock::instance().now();
    LastDt = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    return SaveToIni(error);
}

bool TTaskObj::IsDue() const
{
    return IsTaskDue(*this, Clock::instance().now());
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
    Series = ini.readBool(kSection, QStringLiteral("Series"), Series);
    MailCount = readInteger(ini, "MailCount", MailCount);
    MailPause = readInteger(ini, "MailPause", MailPause);
}

bool TSeriesObj::SaveToIni(QString* error) const
{
    IniFile ini(scheduleFilePath());
    SaveToIni(ini);
    return ini.updateFile(error);
}

void TSeriesObj::SaveToIni(IniFile& ini) const
{
    ini.writeBool(kSection, QStringLiteral("Series"), Series);
    ini.writeInteger(kSection, QStringLiteral("MailCount"), MailCount);
    ini.writeInteger(kSection, QStringLiteral("MailPause"), MailPause);
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
