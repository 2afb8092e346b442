// The records of delimited text for the import wizard, read from an ImportText's lines as UTF-8. A field that
// starts with a double quote runs to the next quote that is not doubled ("" inside is one quote); delimiters and
// line breaks inside belong to it (a line break stays as LF), and text after its closing quote up to the next
// delimiter is added as it stands. Any other field runs to the next delimiter character, quotes and blanks
// kept, as the wizard always read it. A quote that finds no closing one before the end of the text or within
// MaxLineBytes is an ordinary character, so a stray quote never swallows the lines after it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

#include <array>
#include <vector>

class ImportText;

// The wizard's delimiter characters as UTF-8, matched at a byte position.
class DelimiterSet {
public:
    explicit DelimiterSet(QStringView characters);
    bool contains(char byte) const { return m_firstBytes[static_cast<unsigned char>(byte)]; }
    // The length of the delimiter that starts at at, or 0.
    qsizetype matchAt(QByteArrayView text, qsizetype at) const;
    // The first delimiter at or after from, or text.size().
    qsizetype find(QByteArrayView text, qsizetype from) const;

private:
    std::array<bool, 256> m_firstBytes{};
    std::vector<QByteArray> m_multiByte;   // delimiters beyond ASCII
    int m_single = -1;                     // the byte when the set is one ASCII delimiter
};

class DelimitedRecordReader {
public:
    DelimitedRecordReader(const ImportText& text, QStringView delimiters, bool consecutiveAsOne);

    // Reads the record that starts at line first (0-based, below the line count); answers the number of lines
    // it takes, at least 1. An empty line is a record without cells. After each field one delimiter is skipped,
    // or with consecutiveAsOne every following one; a delimiter that ends the record adds no field.
    int read(int first);
    // The cells of the last record read, valid until the next read.
    const std::vector<QByteArrayView>& cells() const { return m_cells; }

private:
    // Where a cell's text lies: in the record's text, or (a quoted cell) in m_quotedBytes.
    struct CellSpan {
        bool quoted;
        qsizetype start;
        qsizetype size;
    };

    qsizetype readQuoted(qsizetype at, int first, int& lines);
    qsizetype plainEnd(qsizetype at) const { return m_delimiters.find(m_view, at); }
    bool joinNextLine(int next);

    const ImportText& m_text;
    const DelimiterSet m_delimiters;
    const bool m_consecutiveAsOne;
    const bool m_quoting;             // false when the quote is itself a delimiter
    QByteArrayView m_view;            // the record's text: its one line, or m_record once lines are joined
    QByteArray m_record;              // the record's lines joined by LF, when a quoted field needs more than one
    QByteArray m_scratch;
    QByteArray m_quotedBytes;         // the text of the quoted cells, one after the other
    std::vector<CellSpan> m_spans;
    std::vector<QByteArrayView> m_cells;
};
