// Cutting a file's lowered bytes into DB Maker records by a begin and an end marker and a maximum length.
// The cutter moves an offset and never copies the text. Every record holds at least one byte, so the cut
// always ends; an empty end marker is never found (the record runs to the end of the text).
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// "Maximal Record Length": a positive whole number, else 0 for no limit (0, negative and non-numbers alike).
qsizetype maximumRecordLength(bool limited, const QString& text);

class RecordCutter {
public:
    struct Record {
        qsizetype start = 0;
        qsizetype length = 0;
    };

    // begin and end are lowered markers; an empty end marker means the begin marker. maxLength 0: no limit.
    RecordCutter(QByteArrayView lowered, QByteArray begin, QByteArray end, qsizetype maxLength);

    // The next record, or nullopt when the text ends or no begin marker follows.
    std::optional<Record> next();

private:
    QByteArrayView m_text;
    QByteArray m_begin;
    QByteArray m_end;
    qsizetype m_maxLength;
    qsizetype m_position = 0;
};
