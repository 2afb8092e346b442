// The ".cpg" file that GIS and spreadsheet programs write beside a table whose header names no code page: one
// short line naming the page ("UTF-8", "1252", "ANSI 1251", "ISO-8859-1", "88591", "CP1252", "LDID/87", ...),
// in any letter case. Only the first line of the first few hundred bytes is read; a name that is not known
// gives 0, so the table falls back to its other rules.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace codepagefile {

// The code page a ".cpg" text names; 0 when it names none this program converts.
int codePageOfName(QByteArrayView text);
// The code page of the ".cpg" beside tablePath (found without case); 0 when there is none or it names none.
int codePageBeside(const QString& tablePath);

}  // namespace codepagefile
