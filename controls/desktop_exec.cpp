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

// One argument being read: its text so far, and whether anything but field codes made it.
struct Word {
    QString text;
    bool started = false;   // a quote or a character (not a field code) belongs to it
    bool hadFieldCode = false;
    bool empty() const { return !started && !hadFieldCode; }
};

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

BrowserCommand splitBrowserCommand(QStringView exec)
{
    QStringList arguments;
    Word word;
    bool quoted = false;
    const auto endWord = [&] {
        if (word.started)
            arguments += word.text;   // an argument that was only field codes is dropped
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
            if (i + 1 < exec.size() && exec[i + 1] == QLatin1Char('%')) {
                word.text += QLatin1Char('%');
                word.started = true;
                ++i;
            } else {
                word.hadFieldCode = true;   // %u, %U, %f, %F and the others: the address goes last instead
                if (i + 1 < exec.size())
                    ++i;
            }
        } else {
            word.text += c;
            word.started = true;
        }
    }
    if (quoted)
        return {{}, {}, tr("The browser's command line has a quote that is not closed.")};
    endWord();
    if (arguments.isEmpty() || arguments.first().isEmpty())
        return {{}, {}, tr("The browser's command line names no program.")};
    const QString program = arguments.takeFirst();
    return {program, arguments, {}};
}
