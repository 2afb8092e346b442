// A project with 100,000 attachment entries shown in the attachment chooser: every item shares its kind's
// icon, so an entry costs well under a kilobyte and the list fills in seconds.

#include "core/project/attachment_icons.h"
#include "core/project/attachments.h"
#include "core/project/project_attachments.h"

#include "tests/support/resource_meter.h"

#include <gtest/gtest.h>

#include <QListWidget>

namespace {

using namespace sorvanta::test;

TEST(ManyAttachmentsTest, IconsAreSharedPerKind)
{
    EXPECT_EQ(attachmentIcon("image/gif").cacheKey(), attachmentIcon("IMAGE/png").cacheKey());
    EXPECT_EQ(attachmentIcon("").cacheKey(), attachmentIcon("text/plain").cacheKey());
    EXPECT_NE(attachmentIcon("image/gif").cacheKey(), attachmentIcon("audio/ogg").cacheKey());
}

TEST(ManyAttachmentsTest, OneHundredThousandEntriesFillTheChooser)
{
    constexpr int kEntries = 100000;
    QList<AttachmentRecord> records;
    for (int i = 0; i < kEntries; ++i) {
        AttachmentRecord record = attachmentForFile(QStringLiteral("/data/files/attachment%1.pdf").arg(i));
        record.mimeType = i % 2 ? QStringLiteral("application/pdf") : QStringLiteral("image/png");
        records.append(record);
    }
    TAttachmentForm form;
    const ResourceUse use = measureResources([&] { form.setRecords(records); });
    std::printf("    cost: %.2f s, peak memory +%lld MB\n", use.seconds, use.peakGrowthBytes / kMegabyte);
    ASSERT_EQ(form.AttList->count(), kEntries);
    EXPECT_EQ(form.AttList->item(kEntries - 1)->text(), QStringLiteral("attachment%1.pdf").arg(kEntries - 1));
    EXPECT_LT(use.seconds, 10 * sanitizerAllowance());
    EXPECT_LT(use.peakGrowthBytes / kEntries, qint64(1024 * sanitizerAllowance()));   // bytes per entry
}

}  // namespace
