// The delimited-text mode of DB Maker: each line of a file split into values by one of three rules.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

enum class DelimitedRule {
    Plain,          // values trimmed, empty inner values kept, a trailing delimiter adds no value
    SeveralAsOne,   // a run of delimiters is one; values untrimmed; a trailing delimiter adds an empty value
    QuoteAware,     // a value in double quotes keeps its delimiters; values trimmed
};

QStringList splitDelimitedLine(const QString& line, QChar delimiter, DelimitedRule rule);
