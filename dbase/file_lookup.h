// Finding a table's companion files (memo, index, code-page file) without regard to case, as the file
// systems tables come from did: "T.DBF" finds "t.dbt". Only regular files (or links to them) count: a FIFO,
// socket, device or folder of that name is as good as missing, since opening one could block or read garbage.
#pragma once

#include <QString>

// The file in the folder of tablePath named like it with extension (".dbt", ".mdx", ".cpg"), matched without
// case; the exact name when it exists; empty when there is none.
QString findCompanionFile(const QString& tablePath, const QString& extension);
