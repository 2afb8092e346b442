// The attachment counter file: see attachment_manager.h.

#include "core/project/attachment_manager.h"

#include "core/base/text_helpers.h"
#include "platform/text_file.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

std::optional<QByteArray> readRecord(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray record = file.read(TAttachmentManager::kRecordSize);
    if (record.size() != TAttachmentManager::kRecordSize)
        return std::nullopt;
    return record;
}

}  // namespace

TAttachmentManager::TAttachmentManager(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("AttachmentManager"));
}

QString TAttachmentManager::AttachmentDirectory()
{
    if (m_directory.isEmpty())
        setAttachmentDirectory(ProgramFolder());
    return m_directory;
}

void TAttachmentManager::setAttachmentDirectory(const QString& directory)
{
    m_directory = directory;
    if (!directory.isEmpty())
        QDir().mkpath(directory);
}

void TAttachmentManager::Loaded()
{
    const QString path = QDir(AttachmentDirectory()).filePath(QStringLiteral("attach.idx"));
    const std::optional<QByteArray> record = QFile::exists(path) ? readRecord(path) : std::nullopt;
    if (!record) {
        // Missing or damaged: start again at 0. A file that cannot be written either is not worth a
        // failure: nothing in the program depends on the number.
        writeFileAtomically(path, counterRecord(0));
        m_currentNumber = 0;
        return;
    }
    m_currentNumber = qFromLittleEndian<qint32>(record->constData() + kCounterOffset);
}

QByteArray TAttachmentManager::counterRecord(qint32 number)
{
    QByteArray record(kRecordSize, '\0');
    qToLittleEndian(number, record.data() + kCounterOffset);
    return record;
}
