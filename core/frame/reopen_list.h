// The reopen list of the main window: at most 10 project paths, newest first, kept in "setupprj.ini" in the
// program folder (one path a line, first line newest). Paths are kept and compared exactly as given: file
// names are case-sensitive here. A missing or unreadable file gives an empty list.
#pragma once

#include <QString>
#include <QStringList>

class ReopenList {
public:
    static constexpr int MaxItems = 10;

    static QString filePath();   // program folder + "setupprj.ini"

    // Fills the list from lines: the first MaxItems lines, line 0 on top (added last, through add()).
    void setLines(const QStringList& lines);
    // Puts path on top: an equal entry moves there, else the oldest entry goes when the list is full.
    // An empty path is ignored.
    void add(const QString& path);

    const QStringList& paths() const { return m_paths; }
    bool isEmpty() const { return m_paths.isEmpty(); }

    void load();
    // Writes the paths, top to bottom; false (with *error) when the file could not be written.
    bool save(QString* error = nullptr) const;

private:
    QStringList m_paths;
};
