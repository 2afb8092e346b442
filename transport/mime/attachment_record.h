// One attachment of a project as the external-server sender keeps it (AttachmentRecord), and the table
// of 256 slots that AddAttachment fills (slot k pairs with item k-1 of the sender's Attachments). The
// record's fixed-size file layout belongs to the project files, not to this header.
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

enum class AttachmentEncoding : quint8 {
    Choose = 0,             // the composer picks from the file's bytes
    Base64 = 1,
    QuotedPrintable = 2,
    PlainText = 3,
    Uuencode = 4,
};

struct AttachmentRecord {
    QString displayName;                // up to 255 characters
    AttachmentEncoding encoding = AttachmentEncoding::Choose;
    QString mimeType;                   // up to 80; empty = chosen by the composer
    QString disposition;                // up to 30; empty = "attachment"
    QString description;                // up to 255
    QString filePath;                   // any length
};

class AttachmentSlots {
public:
    static constexpr int kSlotCount = 256;

    // Stores a copy of the record in slot attachments.count() + 1 and appends its path to attachments;
    // past slot 256 nothing is stored and false is returned.
    bool AddAttachment(const AttachmentRecord& record, QStringList& attachments);
    // Empties every slot, so a later message's plain file never meets an earlier message's record.
    void clear() { m_slots.fill(std::nullopt); }
    // The record of slot 1..256, nullptr when the slot is empty or out of range.
    const AttachmentRecord* slot(int number) const;

private:
    std::array<std::optional<AttachmentRecord>, kSlotCount> m_slots;
};
