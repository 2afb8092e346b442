// Rows handed between the list tools as comma texts: values joined by ",", a value quoted with '"' (inner
// quotes doubled) when it holds a blank, a quote, a comma or a control character. DB Maker writes them and
// the list editor reads them back with the same string-list rules.
#pragma once

#include <QString>
#include <QStringList>

QString valuesCommaText(const QStringList& values);
QStringList commaTextValues(const QString& commaText);
