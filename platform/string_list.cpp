// StringList: the class library's string list rules, see string_list.h.

#include "platform/string_list.h"

#include "platform/text_file.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <stdexcept>

namespace {

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= ' ';
}

// The class library walks the text as a NUL-terminated string: a NUL ends it.
QStringView untilNul(const QString& text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    return nul < 0 ? QStringView(text) : QStringView(text).left(nul);
}

// A quoted item starting at text[pos] (the opening quote): doubled quotes stand for one. pos ends after the
// closing quote. An unterminated item takes the rest of the text (the class library dropped its last char).
QString extractQuoted(QStringView text, qsizetype& pos, QChar quote)
{
    QString item;
    ++pos;
    while (pos < text.size()) {
        if (text[pos] == quote) {
            if (pos + 1 < text.size() && text[pos + 1] == quote) {
                item += quote;
                pos += 2;
                continue;
            }
            ++pos;
            return item;
        }
        item += text[pos++];
    }
    return item;
}

bool needsQuotes(const QString& item, QChar delimiter, QChar quote)
{
    return std::any_of(item.begin(), item.end(),
                       [&](QChar c) { return isBlankOrControl(c) || c == quote || c == delimiter; });
}

QString quoted(const QString& item, QChar quote)
{
    QString doubled = item;
    doubled.replace(quote, QString(2, quote));
    return quote + doubled + quote;
}

// The user's collation as the class library's AnsiCompareText / AnsiCompareStr use it. The C locale has no
// linguistic order, so English order stands in for it there.
QCollator userCollator(Qt::CaseSensitivity sensitivity)
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(sensitivity);
    return collator;
}

// Texts the collation holds equal but that differ (beyond case, when comparing without case) are ordered
// by code unit, so that a sorted list without duplicates never drops a distinct item.
int collate(const QString& a, const QString& b, Qt::CaseSensitivity sensitivity)
{
    thread_local const QCollator withoutCase = userCollator(Qt::CaseInsensitive);
    thread_local const QCollator withCase = userCollator(Qt::CaseSensitive);
    const int order = (sensitivity == Qt::CaseInsensitive ? withoutCase : withCase).compare(a, b);
    return order != 0 ? order : QString::compare(a, b, sensitivity);
}

}  // namespace

int ansiCompareText(const QString& a, const QString& b)
{
    return collate(a, b, Qt::CaseInsensitive);
}

int ansiCompareStr(const QString& a, const QString& b)
{
    return collate(a, b, Qt::CaseSensitive);
}

void StringList::set(int index, const QString& text)
{
    Q_ASSERT(!m_sorted);
    m_items[index].text = text;
}

int StringList::add(const QString& text, const QVariant& object)
{
    int index = count();
    if (m_sorted && find(text, index)) {
        if (m_duplicates == Duplicates::Ignore)
            return -1;
        if (m_duplicates == Duplicates::Error)
            throw std::runtime_error("List does not allow duplicates");
    }
    m_items.insert(m_items.begin() + index, Item{text, object});
    return index;
}

void StringList::insert(int index, const QString& text, const QVariant& object)
{
    Q_ASSERT(!m_sorted);
    m_items.insert(m_items.begin() + index, Item{text, object});
}

void StringList::removeAt(int index)
{
    m_items.erase(m_items.begin() + index);
}

void StringList::move(int from, int to)
{
    if (from == to)
        return;
    Item item = std::move(m_items[from]);
    m_items.erase(m_items.begin() + from);
    m_items.insert(m_items.begin() + to, std::move(item));
}

int StringList::indexOf(const QString& text) const
{
    if (m_sorted) {
        int index = 0;
        return find(text, index) ? index : -1;
    }
    for (int i = 0; i < count(); ++i)
        if (compare(m_items[i].text, text) == 0)
            return i;
    return -1;
}

// Binary search as the class library does it: when duplicates are accepted the search goes on to the left, so
// index is the first equal item; otherwise it stops at the equal item it meets.
bool StringList::find(const QString& text, int& index) const
{
    bool found = false;
    int low = 0;
    int high = count() - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const int order = compare(m_items[middle].text, text);
        if (order < 0) {
            low = middle + 1;
        } else {
            high = middle - 1;
            if (order == 0) {
                found = true;
                if (m_duplicates != Duplicates::Accept)
                    low = middle;
            }
        }
    }
    index = low;
    return found;
}

void StringList::sort()
{
    std::stable_sort(m_items.begin(), m_items.end(),
                     [this](const Item& a, const Item& b) { return compare(a.text, b.text) < 0; });
}

void StringList::setSorted(bool sorted)
{
    if (sorted && !m_sorted)
        sort();
    m_sorted = sorted;
}

void StringList::setCaseSensitive(bool on)
{
    if (on == m_caseSensitive)
        return;
    m_caseSensitive = on;
    if (m_sorted)
        sort();
}

QString StringList::delimitedText(QChar delimiter, QChar quote) const
{
    if (count() == 1 && m_items[0].text.isEmpty())
        return QString(2, quote);
    QString result;
    for (int i = 0; i < count(); ++i) {
        if (i > 0)
            result += delimiter;
        const QString& item = m_items[i].text;
        result += needsQuotes(item, delimiter, quote) ? quoted(item, quote) : item;
    }
    return result;
}

// The class library's reading: blanks and control characters before an item and after it are skipped; an
// unquoted item ends at a blank, a control character or the delimiter, so "a b" gives two items; a delimiter
// that is the very last character adds an empty item. Items go through add(), so a sorted list sorts them.
void StringList::setDelimitedText(const QString& text, QChar delimiter, QChar quote)
{
    clear();
    const QStringView view = untilNul(text);
    const qsizetype size = view.size();
    qsizetype pos = 0;
    auto skipBlanks = [&] {
        while (pos < size && isBlankOrControl(view[pos]))
            ++pos;
    };
    skipBlanks();
    while (pos < size) {
        if (view[pos] == quote) {
            add(extractQuoted(view, pos, quote));
        } else {
            const qsizetype start = pos;
            while (pos < size && !isBlankOrControl(view[pos]) && view[pos] != delimiter)
                ++pos;
            add(view.sliced(start, pos - start).toString());
        }
        skipBlanks();
        if (pos < size && view[pos] == delimiter) {
            if (pos + 1 == size)
                add(QString());
            ++pos;
            skipBlanks();
        }
    }
}

QString StringList::text() const
{
    QString result;
    for (const Item& item : m_items) {
        result += item.text;
        result += QLatin1String("\r\n");
    }
    return result;
}

void StringList::setText(const QString& text)
{
    clear();
    for (const QString& line : splitLines(text))
        add(line);
}

QString StringList::name(int index) const
{
    const QString& item = m_items[index].text;
    const qsizetype equals = item.indexOf('=');
    return equals < 0 ? QString() : item.left(equals);
}

QString StringList::value(const QString& name) const
{
    const int index = indexOfName(name);
    if (index < 0)
        return QString();
    const QString& item = m_items[index].text;
    return item.mid(item.indexOf('=') + 1);
}

int StringList::indexOfName(const QString& name) const
{
    for (int i = 0; i < count(); ++i) {
        const QString& item = m_items[i].text;
        const qsizetype equals = item.indexOf('=');
        if (equals >= 0 && compare(item.left(equals), name) == 0)
            return i;
    }
    return -1;
}

QStringList StringList::toStringList() const
{
    QStringList list;
    list.reserve(count());
    for (const Item& item : m_items)
        list.append(item.text);
    return list;
}

int StringList::compare(const QString& a, const QString& b) const
{
    return m_caseSensitive ? ansiCompareStr(a, b) : ansiCompareText(a, b);
}
