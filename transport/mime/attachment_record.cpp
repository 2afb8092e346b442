// The attachment slot table of the external-server sender.

#include "transport/mime/attachment_record.h"

bool AttachmentSlots::AddAttachment(const AttachmentRecord& record, QStringList& attachments)
{
    const qsizetype number = attachments.size() + 1;
    if (number > kSlotCount)
        return false;
    m_slots[size_t(number - 1)] = record;
    attachments.append(record.filePath);
    return true;
}

const AttachmentRecord* AttachmentSlots::slot(int number) const
{
    if (number < 1 || number > kSlotCount || !m_slots[size_t(number - 1)])
        return nullptr;
    return &*m_slots[size_t(number - 1)];
}
