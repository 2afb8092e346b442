// Letters of several scripts under the charsets a project may name, for both composers: text the charset
// holds goes in it; any other goes in UTF-8, and Python must read back exactly the merged text.
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

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

// The merged texts each message is made of: "<text> Shop" sends to "<text> Reader" (names), and these.
inline QString charsetSubject(const CharsetCase& c) { return "News from " + c.text; }
inline QStringList charsetBody(const CharsetCase& c) { return {"Hello " + c.text, "bye"}; }
inline QStringList charsetHtml(const CharsetCase& c)
{
    return {"<html><head><meta charset=\"" + c.charset + "\"></head>", "<body>" + c.text + "</body></html>"};
}

// Python's strict view of the message holds exactly the merged texts, in the project's charset when it
// fits and in UTF-8 otherwise, the HTML declaring it. textPart: the text part as the composer ends it.
inline void expectMergedTextsReadBack(const QJsonObject& view, const CharsetCase& c, const QString& fromAddress,
                                      const QString& toAddress, const QString& textPart)
{
    const std::string sentIn = (c.fits ? c.charset : QStringLiteral("utf-8")).toStdString();
    EXPECT_EQ(view["from"].toString().toStdString(), (c.text + " Shop <" + fromAddress + ">").toStdString());
    EXPECT_EQ(view["to"].toString().toStdString(), (c.text + " Reader <" + toAddress + ">").toStdString());
    EXPECT_EQ(view["subject"].toString().trimmed().toStdString(), charsetSubject(c).toStdString());
    const QJsonArray leaves = view["leaves"].toArray();
    ASSERT_EQ(leaves.size(), 2);
    EXPECT_EQ(leaves[0].toObject()["charset"].toString().toStdString(), sentIn);
    EXPECT_EQ(leaves[0].toObject()["text"].toString().toStdString(), textPart.toStdString());
    EXPECT_EQ(leaves[1].toObject()["charset"].toString().toStdString(), sentIn);
    const QString html = leaves[1].toObject()["text"].toString();
    EXPECT_TRUE(html.contains("<body>" + c.text + "</body>")) << html.toStdString();
    EXPECT_TRUE(html.contains("<meta charset=\"" + (c.fits ? c.charset : "UTF-8") + "\">")) << html.toStdString();
}

}  // namespace sorvanta::test
