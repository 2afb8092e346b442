// String list with the class library's rules: items in order, each with an attached object (a QVariant),
// an optional Sorted mode (case-insensitive unless CaseSensitive) with a Duplicates rule, and CommaText /
// DelimitedText: items joined by "," (or the delimiter), an item quoted with '"' (inner quotes doubled) when it
// holds a blank, a quote, the delimiter or a control character; reading splits at
// the delimiter and at blanks and control characters outside quotes, as the class library does.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

// The user's collation, as the class library's AnsiCompareText (without case) and AnsiCompareStr (with
// case): < 0, 0 or > 0. Texts that differ other than by case (by anything, for the second) never compare 0.
int ansiCompareText(const QString& a, const QString& b);
int ansiCompareStr(const QString& a, const QString& b);

class StringList {
public:
    enum class Duplicates { Ignore, Accept, Error };

    StringList() = default;

    int count() const { return int(m_items.size()); }
    bool isEmpty() const { return m_items.empty(); }
    const QString& at(int index) const { return m_items[index].text; }
    const QString& operator[](int index) const { return at(index); }
    void set(int index, const QString& text);          // not allowed on a sorted list (Q_ASSERT)
    QVariant object(int index) const { return m_items[index].object; }
    void setObject(int index, const QVariant& object) { m_items[index].object = object; }

    // Appends (or inserts at the sorted place); returns the index, or -1 when a duplicate was ignored.
    // With Duplicates::Error a duplicate throws std::runtime_error("List does not allow duplicates").
    int add(const QString& text, const QVariant& object = {});
    void insert(int index, const QString& text, const QVariant& object = {});
    void removeAt(int index);
    void clear() { m_items.clear(); }
    void move(int from, int to);

    int indexOf(const QString& text) const;             // by the list's case rule; -1 when absent
    bool find(const QString& text, int& index) const;   // sorted lists: binary search, index = place
    void sort();                                        // stable, by the list's case rule

    bool sorted() const { return m_sorted; }
    void setSorted(bool sorted);
    Duplicates duplicates() const { return m_duplicates; }
    void setDuplicates(Duplicates rule) { m_duplicates = rule; }
    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool on);

    QString commaText() const { return delimitedText(',', '"'); }
    void setCommaText(const QString& text) { setDelimitedText(text, ',', '"'); }
    QString delimitedText(QChar delimiter, QChar quote) const;
    void setDelimitedText(const QString& text, QChar delimiter, QChar quote);

    // Lines joined by CR LF, the last included (Text property); setting splits at CR, LF or CR LF.
    QString text() const;
    void setText(const QString& text);

    // "name=value" items.
    QString name(int index) const;
    QString value(const QString& name) const;
    int indexOfName(const QString& name) const;

    QStringList toStringList() const;

private:
    struct Item {
        QString text;
        QVariant object;
    };
    int compare(const QString& a, const QString& b) const;

    std::vector<Item> m_items;
    bool m_sorted = false;
    bool m_caseSensitive = false;
    Duplicates m_duplicates = Duplicates::Ignore;
};
