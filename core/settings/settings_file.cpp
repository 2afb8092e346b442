// Reading and writing "setupkrn.ini": see settings_file.h.

#include "core/settings/settings_file.h"

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/settings/settings_fields.h"
#include "core/base/text_helpers.h"
#include "core/settings/status_codes.h"

#include "platform/ini_file.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

const QString connectionsHeading = QStringLiteral("<Connections>");
const QString statusCodesHeading = QStringLiteral("<Status Codes>");
const QString mailInfoHeading = QStringLiteral("<Mail Info>");

using Field = LineField<TIniInfo>;

// The 20 fields of the "<Mail Info>" line, in file order, with their keys in section "Default" of the INI layout.
constexpr Field settingsLineFields[] = {
    {"NConnect", &TIniInfo::NConnect},
    {"DnsIP", &TIniInfo::DnsIP},
    {"AutoCommit", &TIniInfo::AutoCommit},
    {"AutoCommitT", &TIniInfo::AutoCommitT},
    {"CharSet", &TIniInfo::CharSet},
    {"PathPro", &TIniInfo::PathPro},
    {"NumberConnect", &TIniInfo::NumberConnect},
    {"AutoCheckMinutes", &TIniInfo::AutoCheckMinutes},
    {"Html", &TIniInfo::Html},
    {"TimeOut", &TIniInfo::TimeOut},
    {"Codes", &TIniInfo::Codes},
    {"Default Helo", &TIniInfo::DefaultHelo},
    {"Text Helo", &TIniInfo::TextHelo, TextLength::Long},
    {"Pop3 Identify", &TIniInfo::Pop3Identify},
    {"Create Log", &TIniInfo::CreateLog},
    {"External Smtp", &TIniInfo::ExternalSmtp},
    {"LangOn", &TIniInfo::LangOn},
    {"LangInit", &TIniInfo::LangInit},
    {"LangFile", &TIniInfo::LangFile, TextLength::Long},
    {"LogFile", &TIniInfo::LogFile, TextLength::Long},
};

bool sameText(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// PathPro counts only when it names an existing folder; otherwise the earlier value stays.
void keepPathProIfMissing(TIniInfo& settings, const QString& earlierPathPro)
{
    if (!QFileInfo(settings.PathPro).isDir())
        settings.PathPro = earlierPathPro;
}

// "<Connections>" on top. Its account block may be empty (the heading alone, or an empty line next): that reads
// as no accounts, and the blocks after it are still read.
bool isBlockLayout(const QStringList& lines)
{
    return sameText(lines[0], connectionsHeading);
}

// Steps over the empty line before heading and the heading; false when they are not where they belong. A
// heading that must be followed by a block may not be the last line.
bool passHeading(const QStringList& lines, qsizetype& i, const QString& heading, bool headingBeforeLast)
{
    const qsizetype last = lines.size() - 1;
    if (i < last && lines[i].isEmpty())
        ++i;
    if (i >= (headingBeforeLast ? last : lines.size()) || !sameText(lines[i], heading))
        return false;
    ++i;
    return true;
}

bool onlyEmptyLinesFrom(const QStringList& lines, qsizetype i)
{
    return std::all_of(lines.begin() + i, lines.end(), [](const QString& line) { return line.isEmpty(); });
}

// Reading stops at the first misplaced heading; what was read before it stays. Answers false when lines
// that were not read remain there (the rewrite at exit would lose them).
bool readBlockLayout(const QStringList& lines)
{
    qsizetype i = 1;
    for (; i < lines.size() && !lines[i].isEmpty(); ++i) {
        auto account = std::make_unique<tAccountObj>(true);
        ParseAccountLine(*account, lines[i]);
        Accounts.Add(std::move(account));
    }
    if (!passHeading(lines, i, statusCodesHeading, true))
        return onlyEmptyLinesFrom(lines, i);
    for (; i < lines.size() && !lines[i].isEmpty(); ++i)
        StatusCodes.add(lines[i]);
    if (!passHeading(lines, i, mailInfoHeading, false))
        return onlyEmptyLinesFrom(lines, i);
    if (i < lines.size())
        parseSettingsLine(DefaultIniInfo, lines[i]);
    return true;
}

// A file in no known layout, or read only in part, would be replaced at exit: keep a copy of it first.
SettingsLoadResult keepUnrecognisedFile(const QString& path)
{
    SettingsLoadResult kept;
    kept.keptCopy = path + QStringLiteral(".bak");
    // Owner-only like the settings themselves: the copy holds the same passwords.
    kept.copied = copyFileAtomically(path, kept.keptCopy, nullptr, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return kept;
}

void readAccountsSection(const IniFile& ini)
{
    const QString section = QStringLiteral("User");
    // The count is a claim of the file: there cannot be more accounts than keys naming them.
    const int count = std::min<qsizetype>(ini.readInteger(section, QStringLiteral("Count"), 0),
                                          ini.sectionKeys(section).size());
    for (int i = 0; i < count; ++i) {
        const QString name = ini.readString(section, QString::number(i), QString());
        if (name.isEmpty())
            continue;
        auto account = std::make_unique<tAccountObj>(true);
        ReadAccountSection(*account, name, i, ini);
        Accounts.Add(std::move(account));
    }
}

void readStatusCodesSection(const IniFile& ini)
{
    const QString section = QStringLiteral("Status Codes");
    const int count = std::min<qsizetype>(ini.readInteger(section, QStringLiteral("Count"), 0),
                                          ini.sectionKeys(section).size());
    for (int i = 0; i < count; ++i) {
        const QString line = trimBlanks(ini.readString(section, QString::number(i), QString()));
        if (!line.isEmpty())
            StatusCodes.add(line);
    }
}

}  // namespace

QString settingsFilePath()
{
    return ProgramFolder() + QStringLiteral("setupkrn.ini");
}

QString settingsLine(const TIniInfo& settings)
{
    return formatLine<TIniInfo>(settings, settingsLineFields);
}

void parseSettingsLine(TIniInfo& settings, const QString& line)
{
    const QString earlierPathPro = settings.PathPro;
    parseLine<TIniInfo>(settings, line, settingsLineFields);
    keepPathProIfMissing(settings, earlierPathPro);
}

void ReadIniSettings(const QString& path)
{
    const IniFile ini(path);
    readAccountsSection(ini);
    readStatusCodesSection(ini);
    const QString earlierPathPro = DefaultIniInfo.PathPro;
    readIniFields<TIniInfo>(DefaultIniInfo, ini, QStringLiteral("Default"), settingsLineFields);
    keepPathProIfMissing(DefaultIniInfo, earlierPathPro);
}

SettingsLoadResult LoadSettings()
{
    DefaultIniInfo = DefaultIniInfoValues();
    Accounts.Clear();
    StatusCodes.clear();
    SettingsLoadResult result;
    const QString path = settingsFilePath();
    const QStringList lines = splitLines(readTextFile(path).value_or(QString()));
    if (!lines.isEmpty()) {
        if (lines[0] == QLatin1String("[User]"))
            ReadIniSettings(path);
        else if (!isBlockLayout(lines) || !readBlockLayout(lines))
            result = keepUnrecognisedFile(path);
    }
    if (Accounts.Count() == 0)
        Accounts.Add(std::make_unique<tAccountObj>(true));
    return result;
}

QString unreadableSettingsMessage(const SettingsLoadResult& load)
{
    if (load.keptCopy.isEmpty())
        return QString();
    const QString file = QDir::toNativeSeparators(settingsFilePath());
    if (!load.copied)
        return QStringLiteral("The settings file \"%1\" could not be read, and no copy of it could be kept as \"%2\"."
                              " The default settings are used; the file is replaced at exit.")
            .arg(file, load.keptCopy);
    return QStringLiteral("The settings file \"%1\" could not be read. It was kept as \"%2\"; the default settings"
                          " are used until you enter your accounts again.")
        .arg(file, load.keptCopy);
}

QStringList settingsFileLines(const TIniInfo& settings)
{
    QStringList lines{connectionsHeading};
    for (int i = 0; i < Accounts.Count(); ++i)
        lines.append(accountLine(*Accounts.Items(i)));
    if (Accounts.Count() == 0)   // an empty block would make the file unreadable
        lines.append(accountLine(tAccountObj(true)));
    lines << QString() << statusCodesHeading;
    for (const QString& line : StatusCodes.toStringList()) {
        if (!line.isEmpty())   // an empty line would end the block early
            lines.append(line);
    }
    lines << QString() << mailInfoHeading << settingsLine(settings);
    return lines;
}

bool SaveSettings(QString* error)
{
    QString reason;
    // Owner-only: the file holds passwords.
    if (writeFileAtomically(settingsFilePath(), encodeLines(settingsFileLines(DefaultIniInfo)), &reason,
                            QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return true;
    if (error)
        *error = QStringLiteral("The settings could not be saved to \"%1\": %2. The file keeps its earlier contents.")
                     .arg(QDir::toNativeSeparators(settingsFilePath()), reason);
    return false;
}
