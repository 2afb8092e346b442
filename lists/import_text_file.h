// A text file for the import wizard, kept as its bytes with the start of every line, so that a preview decodes
// only the lines it shows and the import decodes line by line into the grid. Lines are decoded by the
// program's text rules (UTF-16 LE after FF FE; otherwise per line UTF-8, or the legacy page when a line is not
// valid UTF-8), or with "Dos" every byte from the code-page service's OEM page. A file with a NUL byte (outside
// UTF-16) is not text, and a line longer than MaxLineBytes is refused, so a binary file or a runaway line gives
// a message, not a preview of garbage or a window that never finishes drawing.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>
#include <memory>
#include <vector>

inline constexpr qsizetype MaxLineBytes = 1 << 20;

struct ImportTextFile;

class ImportText {
public:
    ImportText() = default;

    int lineCount() const { return m_starts.empty() ? 0 : int(m_starts.size()) - 1; }
    // Line index (0-based) decoded; the last few asked for are kept, as previews ask for a line per cell.
    QString line(int index) const;
    // The same as UTF-8: a view into the file's bytes for a UTF-8 line, else the line converted into scratch.
    QByteArrayView lineUtf8(int index, QByteArray& scratch) const;
    // The most characters (UTF-16 units, as the fixed-width grid counts them) of any line; measured once.
    int longestLine() const;

private:
    friend ImportTextFile decodeImportText(const QByteArray& bytes, bool dos);
    enum class Encoding { PerLine, Utf16, Oem };

    qsizetype lineEnd(int index) const;
    QByteArrayView rawLine(int index) const;
    int lineLength(int index) const;

    QByteArray m_bytes;
    Encoding m_encoding = Encoding::PerLine;
    int m_codePage = 0;                // the legacy page (per line) or the OEM page
    std::vector<qsizetype> m_starts;   // each line's start in the body's units, then the body's end
    qsizetype m_bodyStart = 0;         // bytes before the first line (a byte-order mark)
    mutable int m_longestLine = -1;
    mutable std::array<std::pair<int, QString>, 64> m_cache{};
};

struct ImportTextFile {
    bool ok = false;
    QString error;   // why the file cannot be imported as text
    std::shared_ptr<const ImportText> text = std::make_shared<ImportText>();
};

ImportTextFile readImportTextFile(const QString& fileName, bool dos);
// The same for bytes already read (kept, not copied).
ImportTextFile decodeImportText(const QByteArray& bytes, bool dos);
