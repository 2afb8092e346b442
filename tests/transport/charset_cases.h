// Letters of several scripts under the charsets a project may name, for both composers: text the charset
// holds goes in it; any other goes in UTF-8, and Python must read back exactly the merged text.
#pragma once

#include <QString>

#include <string>
#include <vector>

namespace sorvanta::test {

struct CharsetCase {
    const char* name;
    QString text;
    QString charset;        // the project's charset name
    bool fits;              // the charset holds every letter of text
};

inline std::vector<CharsetCase> charsetCases()
{
    const QString cyrillic = QStringLiteral("\u041c\u043e\u0441\u043a\u0432\u0430");   // Moskva
    const QString polish = QStringLiteral("\u0141\u00f3d\u017a");                       // Lodz
    const QString euro = QStringLiteral("\u20ac 10");
    const QString dash = QStringLiteral("9 \u2013 17");
    return {
        {"cyrillic_latin1", cyrillic, "iso-8859-1", false},
        {"polish_latin1", polish, "iso-8859-1", false},
        {"euro_latin1", euro, "iso-8859-1", false},
        {"dash_latin1", dash, "iso-8859-1", false},
        {"cyrillic_koi8r", cyrillic, "koi8-r", true},
        {"polish_koi8r", polish, "koi8-r", false},
        {"euro_koi8r", euro, "koi8-r", false},
        {"dash_koi8r", dash, "koi8-r", false},
        {"cyrillic_cp1250", cyrillic, "windows-1250", false},
        {"polish_cp1250", polish, "windows-1250", true},
        {"euro_cp1250", euro, "windows-1250", true},
        {"dash_cp1250", dash, "windows-1250", true},
    };
}

inline std::string charsetCaseName(const CharsetCase& c)
{
    return c.name;
}

}  // namespace sorvanta::test
