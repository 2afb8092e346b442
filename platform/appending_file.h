// AppendingFile: a log written line by line while a run goes on (the send logs, "verifylog.txt"). Each append is
// one checked write at the end of the file; when it fails part way (a full disk) the file is cut back to where it
// was, so a log never ends in half a line, and errorString() is the system's reason ("No space left on device").
// A log is never rewritten whole, so it goes through no temporary and is not synced line by line.
#pragma once

#include <QByteArrayView>
#include <QString>

class AppendingFile {
public:
    AppendingFile() = default;
    ~AppendingFile();
    Q_DISABLE_COPY_MOVE(AppendingFile)

    // Opens path for appending, made when missing (emptied first with truncate); closes what was open.
    bool open(const QString& path, bool truncate = false);
    // Appends bytes whole, or not at all.
    bool append(QByteArrayView bytes);
    void close();

    bool isOpen() const { return m_fd >= 0; }
    const QString& fileName() const { return m_fileName; }
    const QString& errorString() const { return m_error; }

private:
    bool fail(int error);

    QString m_fileName;
    QString m_error;
    int m_fd = -1;
};
