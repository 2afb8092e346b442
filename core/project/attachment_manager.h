// TAttachmentManager: the main window's keeper of the counter file "attach.idx" in the attachment directory
// (one record of 928 bytes, the current attachment number as a 32-bit little-endian integer at byte 624, the
// rest zero). A missing or short file is written anew with the number 0; a file that can be neither read nor
// written leaves the number 0 and is otherwise ignored. Nothing advances the number.
#pragma once

#include <QObject>
#include <QString>

class TAttachmentManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString AttachmentDirectory READ AttachmentDirectory WRITE setAttachmentDirectory)

public:
    static constexpr int kRecordSize = 928;
    static constexpr int kCounterOffset = 624;

    explicit TAttachmentManager(QObject* owner = nullptr);

    // The directory of the counter file; when empty it becomes the program folder.
    QString AttachmentDirectory();
    // Sets the directory and makes it, with its parents, when missing (a failure leaves it missing).
    void setAttachmentDirectory(const QString& directory);

    // Reads the counter file, making or repairing it first when needed.
    void Loaded();
    qint32 currentNumber() const { return m_currentNumber; }

    static QByteArray counterRecord(qint32 number);

private:
    QString m_directory;
    qint32 m_currentNumber = 0;
};
