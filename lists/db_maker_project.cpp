// DB Maker project files and hand-back: see db_maker_project.h.

#include "lists/db_maker_project.h"

#include "lists/comma_text.h"
#include "platform/text_file.h"

#include <QFileInfo>

#include <array>

namespace {

const QString separator = QStringLiteral("|");

QString boxValue(bool checked)
{
    return checked ? QStringLiteral("1") : QString();
}

// Line 1 in file order; booleans and texts side by side, so reading and writing use one table.
struct LineOneValue {
    bool DbMakerSettings::*box = nullptr;
    QString DbMakerSettings::*text = nullptr;
};
const std::array<LineOneValue, 11> lineOne{{
    {nullptr, &DbMakerSettings::beginMarker},
    {nullptr, &DbMakerSettings::endMarker},
    {&DbMakerSettings::limitLength, nullptr},
    {nullptr, &DbMakerSettings::maxLength},
    {&DbMakerSettings::searchTable, nullptr},
    {&DbMakerSettings::tableMode, nullptr},
    {nullptr, &DbMakerSettings::tableNumber},
    {&DbMakerSettings::delimitedMode, nullptr},
    {nullptr, &DbMakerSettings::delimiter},
    {&DbMakerSettings::splitQuoted, nullptr},
    {&DbMakerSettings::severalAsOne, nullptr},
}};

// Values are cut at "|" and trimmed (empty inner values kept, one trailing "|" adds none).
QStringList splitValues(const QString& line)
{
    QStringList values;
    if (line.isEmpty())
        return values;
    values = line.split(QLatin1Char('|'));
    if (line.endsWith(QLatin1Char('|')))
        values.removeLast();
    for (QString& value : values)
        value = value.trimmed();
    return values;
}

bool cannotHold(const QString& value)
{
    return value.contains(QLatin1Char('|')) || (!value.isEmpty() && value.trimmed().isEmpty());
}

QString storable(const QString& value)
{
    return QString(value).remove(QLatin1Char('|'));
}

}  // namespace

DbMakerSettings parseDbMakerProject(const QStringList& lines, const DbMakerSettings& defaults)
{
    DbMakerSettings settings = defaults;
    if (!lines.isEmpty()) {
        // The mask never holds "|", so a folder that does is still read whole.
        const QString& line = lines[0];
        const qsizetype bar = line.lastIndexOf(QLatin1Char('|'));
        settings.folder = (bar < 0 ? line : line.left(bar)).trimmed();
        settings.mask = bar < 0 ? QStringLiteral("*.*") : line.mid(bar + 1).trimmed();
    }
    if (lines.size() >= 2) {
        const QStringList values = splitValues(lines[1]);
        for (size_t i = 0; i < lineOne.size(); ++i) {
            const QString value = values.value(qsizetype(i));
            if (lineOne[i].box)
                settings.*lineOne[i].box = value == QLatin1String("1");
            else
                settings.*lineOne[i].text = value;
        }
    }
    settings.fieldRows.clear();
    if (lines.size() >= 3) {
        for (qsizetype i = 2; i < lines.size(); ++i) {
            QStringList cells = splitValues(lines[i]);
            while (cells.size() < DbMakerFieldCells)
                cells << QString();
            settings.fieldRows << cells.first(DbMakerFieldCells);
        }
    }
    return settings;
}

QStringList dbMakerProjectLines(const DbMakerSettings& settings)
{
    QStringList lines;
    lines << settings.folder + separator + storable(settings.mask);
    QString settingsLine;
    for (const LineOneValue& value : lineOne)
        settingsLine += (value.box ? boxValue(settings.*value.box) : storable(settings.*value.text)) + separator;
    lines << settingsLine;
    for (const QStringList& row : settings.fieldRows) {
        if (row.value(0).trimmed().isEmpty())
            continue;
        QStringList cells;
        for (int i = 0; i < DbMakerFieldCells; ++i)
            cells << storable(row.value(i));
        lines << cells.join(separator);
    }
    return lines;
}

QStringList unstorableProjectValues(const DbMakerSettings& settings, const QStringList& settingNames,
                                    const QStringList& columnTitles)
{
    QStringList named;
    // A "|" in the folder is read back whole (the mask is cut at the last "|"); blanks around it are not.
    if (!settings.folder.isEmpty() && settings.folder.trimmed().isEmpty())
        named << settingNames.value(0);
    if (cannotHold(settings.mask))
        named << settingNames.value(1);
    for (size_t i = 0; i < lineOne.size(); ++i)
        if (lineOne[i].text && cannotHold(settings.*lineOne[i].text))
            named << settingNames.value(qsizetype(i) + 2);
    for (const QStringList& row : settings.fieldRows) {
        if (row.value(0).trimmed().isEmpty())
            continue;
        for (int i = 0; i < DbMakerFieldCells; ++i)
            if (cannotHold(row.value(i)))
                named << columnTitles.value(i) + QStringLiteral(" (") + row.value(0).trimmed() + QLatin1Char(')');
    }
    return named;
}

bool loadDbMakerProject(const QString& path, DbMakerSettings& settings)
{
    const auto text = readTextFile(path);
    if (!text)
        return false;
    settings = parseDbMakerProject(splitLines(*text), settings);
    return true;
}

bool saveDbMakerProject(const QString& path, const DbMakerSettings& settings, QString* error)
{
    return writeTextLines(path, dbMakerProjectLines(settings), error);
}

QStringList dbMakerResultLines(const QList<QStringList>& rowsWithCaption, QChar delimiter)
{
    QStringList lines;
    for (const QStringList& row : rowsWithCaption) {
        QString line = row.value(0);
        for (qsizetype i = 1; i < row.size(); ++i)
            line += delimiter + row[i];
        lines << line;
    }
    return lines;
}

QString withDefaultExtension(const QString& path, const QString& extension)
{
    return QFileInfo(path).fileName().contains(QLatin1Char('.')) ? path : path + extension;
}

QString defaultResultFileName(const QString& resultFileName)
{
    return resultFileName.left(qMax<qsizetype>(0, resultFileName.size() - 4)) + QStringLiteral(".txt");
}

void DbMakerHandBack::add(const QStringList& values)
{
    commaTexts << valuesCommaText(values);
    columnCount = qMax(columnCount, int(values.size()));
}
