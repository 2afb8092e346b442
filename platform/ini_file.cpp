// IniFile: the Windows profile-API rules, see ini_file.h. Lines that are neither a section heading nor
// "key=value" (comments, blank lines, lines before the first section) are kept as they are.

#include "platform/ini_file.h"

#include "platform/text_file.h"

#include <QFile>

#include <optional>

namespace {

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// "[name]" with optional blanks; the name lies between the "[" and the last "]", trimmed. A line without
// the "]" is no heading, as for the profile API.
bool parseHeading(const QString& line, QString& name)
{
    const QString trimmed = line.trimmed();
    const qsizetype close = trimmed.lastIndexOf(']');
    if (!trimmed.startsWith('[') || close < 0)
        return false;
    name = trimmed.mid(1, close - 1).trimmed();
    return true;
}

// The profile API removes one pair of matching quotes around a value.
QString unquoted(const QString& value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

// Decimal with an optional sign, or hex after "0x" / "0X" / "$"; nullopt for anything else or an overflow.
std::optional<int> parseInteger(const QString& text)
{
    bool ok = false;
    int value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        value = text.mid(2).toInt(&ok, 16);
    else if (text.size() > 1 && text[0] == '$')
        value = text.mid(1).toInt(&ok, 16);
    else
        value = text.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

}  // namespace

IniFile::IniFile(const QString& fileName)
    : m_fileName(fileName)
{
    if (!QFile::exists(fileName))
        return;
    const std::optional<QString> text = readTextFile(fileName, &m_readError);
    if (!text)
        return;
    m_sections.push_back(Section{});   // lines before the first heading
    for (const QString& line : splitLines(*text)) {
        QString name;
        if (parseHeading(line, name)) {
            m_sections.push_back(Section{name, {}, line, true, {}});
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        const QString key = equals < 0 ? QString() : line.left(equals).trimmed();
        if (key.isEmpty() || line.trimmed().startsWith(';'))
            m_sections.back().append(Entry{QString(), QString(), line});
        else
            m_sections.back().append(Entry{key, line.mid(equals + 1).trimmed(), line});
    }
}

void IniFile::Section::append(Entry entry)
{
    if (!entry.key.isEmpty())
        indexFirst(entry.key, entries.size());
    entries.push_back(std::move(entry));
}

void IniFile::Section::indexFirst(const QString& key, size_t position)
{
    const QString folded = key.toCaseFolded();
    if (!keyIndex.contains(folded))
        keyIndex.insert(folded, position);
}

const IniFile::Entry* IniFile::Section::find(const QString& key) const
{
    const auto found = keyIndex.constFind(key.toCaseFolded());
    return found == keyIndex.cend() ? nullptr : &entries[*found];
}

IniFile::Entry* IniFile::Section::find(const QString& key)
{
    return const_cast<Entry*>(std::as_const(*this).find(key));
}

// A new key goes after the section's last key, so blank lines and comments that end it stay where they were;
// only keyless lines follow the place, so the index of every key stays valid.
void IniFile::Section::insertKey(const QString& key, const QString& value)
{
    auto place = entries.end();
    while (place != entries.begin() && std::prev(place)->key.isEmpty())
        --place;
    keyIndex.insert(key.toCaseFolded(), size_t(place - entries.begin()));
    entries.insert(place, Entry{key, value, key + '=' + value});
}

void IniFile::Section::removeKey(const QString& key)
{
    std::erase_if(entries, [&](const Entry& entry) { return !entry.key.isEmpty() && sameName(entry.key, key); });
    keyIndex.clear();
    for (size_t i = 0; i < entries.size(); ++i)
        if (!entries[i].key.isEmpty())
            indexFirst(entries[i].key, i);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const Entry* entry = findEntry(section, key);
    return entry ? unquoted(entry->value) : defaultValue;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    const Entry* entry = findEntry(section, key);
    if (!entry)
        return defaultValue;
    return parseInteger(unquoted(entry->value)).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    Section* target = findSection(section);
    if (!target) {
        m_sections.push_back(Section{section, {}, '[' + section + ']', true, {}});
        target = &m_sections.back();
    }
    if (Entry* entry = target->find(key)) {
        entry->value = value;
        entry->raw = entry->key + '=' + value;
        return;
    }
    target->insertKey(key, value);
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::sectionExists(const QString& section) const
{
    return findSection(section) != nullptr;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    return findEntry(section, key) != nullptr;
}

QStringList IniFile::sections() const
{
    QStringList names;
    for (const Section& section : m_sections)
        if (section.hasHeading && !names.contains(section.name, Qt::CaseInsensitive))
            names.append(section.name);
    return names;
}

QStringList IniFile::sectionKeys(const QString& section) const
{
    QStringList keys;
    if (const Section* found = findSection(section))
        for (const Entry& entry : found->entries)
            if (!entry.key.isEmpty())
                keys.append(entry.key);
    return keys;
}

QStringList IniFile::sectionValues(const QString& section) const
{
    QStringList lines;
    if (const Section* found = findSection(section))
        for (const Entry& entry : found->entries)
            if (!entry.key.isEmpty())
                lines.append(entry.key + '=' + unquoted(entry.value));
    return lines;
}

void IniFile::eraseSection(const QString& section)
{
    std::erase_if(m_sections, [&](const Section& s) { return s.hasHeading && sameName(s.name, section); });
}

void IniFile::deleteKey(const QString& section, const QString& key)
{
    if (Section* found = findSection(section))
        found->removeKey(key);
}

bool IniFile::updateFile(QString* error) const
{
    if (!m_readError.isEmpty()) {
        if (error)
            *error = m_readError;
        return false;
    }
    QStringList lines;
    for (const Section& section : m_sections) {
        if (section.hasHeading)
            lines.append(section.heading);
        for (const Entry& entry : section.entries)
            lines.append(entry.raw);
    }
    return writeTextLines(m_fileName, lines, error);
}

const IniFile::Section* IniFile::findSection(const QString& name) const
{
    for (const Section& section : m_sections)
        if (section.hasHeading && sameName(section.name, name))
            return &section;
    return nullptr;
}

IniFile::Section* IniFile::findSection(const QString& name)
{
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

const IniFile::Entry* IniFile::findEntry(const QString& section, const QString& key) const
{
    const Section* found = findSection(section);
    return found ? found->find(key) : nullptr;
}
