// Finding a table's companion files (memo, index) without regard to case, as the file systems tables come
// from did: "T.DBF" finds "t.dbt".
#pragma once

#include <QString>

// The file in the folder of tablePath named like it with extension (".dbt", ".mdx"), matched without case;
// the exact name when it exists; empty when there is none.
QString findCompanionFile(const QString& tablePath, const QString& extension);
