// Exec line splitting: see desktop_exec.h.

#include "controls/desktop_exec.h"

#include <QCoreApplication>

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Characters that a backslash takes literally inside a quoted argument.
bool isQuotedEscape(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') || c == QLatin1Char('\\');
}

// One argument being read: its text so far, and whether anything but dropped field codes made it.
struct Word {
    QString text;
    bool started = false;       // a quote, a character or the target's field code belongs to it
    bool hadFieldCode = false;
    qsizetype targetOffset = -1;
    bool empty() const { return !started && !hadFieldCode; }
};

// The field codes that stand for the file or the address.
bool isTargetCode(QChar c)
{
    return c == QLatin1Char('f') || c == QLatin1Char('F') || c == QLatin1Char('u') || c == QLatin1Char('U');
}

// The field code "%" + code within word: "%%" is one "%", the first target code marks the target's place.
void addFieldCode(Word& word, QChar code, bool targetPlaced)
{
    if (code == QLatin1Char('%')) {
        word.text += QLatin1Char('%');
        word.started = true;
    } else if (isTargetCode(code) && !targetPlaced && word.targetOffset < 0) {
        word.targetOffset = word.text.size();
        word.started = true;
    } else {
        word.hadFieldCode = true;   // %i, %c, %k, the deprecated codes and any further target code
    }
}

QString tr(const char* text)
{
    return QCoreApplication::translate("TGoToWeb", text);
}

}  // namespace

QString unescapeDesktopValue(QStringView value)
{
    QString plain;
    plain.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            plain += value[i];
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': plain += QLatin1Char(' '); break;
        case 'n': plain += QLatin1Char('\n'); break;
        case 't': plain += QLatin1Char('\t'); break;
        case 'r': plain += QLatin1Char('\r'); break;
        case '\\': plain += QLatin1Char('\\'); break;
        default: plain += QLatin1Char('\\'); plain += next; break;
        }
    }
    return plain;
}

QStringList ExecCommand::argumentsFor(const QString& target) const
{
    QStringList result = arguments;
    if (targetArgument < 0 || targetArgument >= result.size())
        result += target;
    else
        result[targetArgument].insert(targetOffset, target);
    return result;
}

ExecCommand splitExecLine(QStringView exec)
{
    QStringList words;
    int targetWord = -1;
    qsizetype targetOffset = 0;
    Word word;
    bool quoted = false;
    const auto endWord = [&] {
        if (word.started) {   // an argument made only of dropped field codes is dropped
            if (word.targetOffset >= 0) {
                targetWord = int(words.size());
                targetOffset = word.targetOffset;
            }
            words += word.text;
        }
        word = Word();
    };

    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            word.started = true;       // "" is an empty argument
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size() && isQuotedEscape(exec[i + 1])) {
            word.text += exec[++i];
        } else if (!quoted && isBlank(c)) {
            if (!word.empty())
                endWord();
        } else if (c == QLatin1Char('%')) {
            addFieldCode(word, i + 1 < exec.size() ? exec[i + 1] : QChar(), targetWord >= 0);
            if (i + 1 < exec.size())
                ++i;
        } else {
            word.text += c;
            word.started = true;
        }
    }
    if (quoted)
        return {{}, {}, -1, 0, tr("The command line has a quote that is not closed.")};
    endWord();
    if (words.isEmpty() || words.first().isEmpty())
        return {{}, {}, -1, 0, tr("The command line names no program.")};
    const QString program = words.takeFirst();
    if (targetWord == 0)   // a field code inside the program's name: the target goes last
        targetWord = -1;
    return {program, words, targetWord < 0 ? -1 : targetWord - 1, targetWord < 0 ? 0 : targetOffset, {}};
}
