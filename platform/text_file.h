// Reading and writing the program's text files. Reading decodes UTF-16 LE when the bytes start with FF FE,
// UTF-8 (a BOM dropped) when the bytes are valid UTF-8, else the legacy code page: Windows-1252, or the one
// named by $SORVANTA_CODEPAGE. Writing produces UTF-8 without BOM, CR LF after every line (the last
// included), atomically through QSaveFile; a failed write leaves the old file and reports why.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringList>

#include <optional>

QString decodeText(const QByteArray& bytes);

// The rule decodeText applies to bytes, for readers that decode large files piece by piece. *bodyStart is
// where the text begins (after FF FE or a UTF-8 byte-order mark).
enum class TextEncoding { Utf16Le, Utf8, Legacy };
TextEncoding textEncoding(QByteArrayView bytes, qsizetype* bodyStart = nullptr);
// The code page of legacy files: $SORVANTA_CODEPAGE when it names one iconv knows, else 1252.
int legacyCodePage();
// Lines split at CR LF, CR or LF; a final line end adds no empty line.
QStringList splitLines(const QString& text);
// lines joined with CR LF after every line, as UTF-8.
QByteArray encodeLines(const QStringList& lines);

// The whole file decoded, or nullopt when it cannot be read (*error says why).
std::optional<QString> readTextFile(const QString& path, QString* error = nullptr);
// Writes bytes atomically; on failure returns false, keeps the old file and sets *error. Non-empty permissions
// are set on the new file before anything is written to it (e.g. owner-only for a file with passwords).
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                         QFileDevice::Permissions permissions = {});
bool writeTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);
