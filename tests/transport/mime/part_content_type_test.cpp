// The Content-Type of a file part: "mime.def" first, then the desktop's MIME database by name, then by the
// content it recognises; its guess of text/plain for any file without control bytes is not taken.

#include "transport/mime/part_content_type.h"

#include "tests/support/test_files.h"
#include "tests/transport/composer_test_support.h"

#include <gtest/gtest.h>

namespace {

using sorvanta::test::patternBytes;
using sorvanta::test::writeTestFile;

struct TypeCase {
    const char* name;
    const char* fileName;
    QByteArray content;
    const char* type;
};

class PartContentTypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(PartContentTypeTest, NamesTheFile)
{
    const TypeCase& c = GetParam();
    PartContentType types;
    EXPECT_EQ(types.forFile(writeTestFile(c.fileName, c.content)), c.type);
}

INSTANTIATE_TEST_SUITE_P(
    Files, PartContentTypeTest,
    ::testing::Values(
        TypeCase{"binary_without_control_bytes", "f.bin", QByteArray(58, '\xff'), "application/octet-stream"},
        TypeCase{"text_without_a_name_the_table_knows", "notes", "plain words\r\n", "application/octet-stream"},
        TypeCase{"listed_in_mime_def", "report.pdf", patternBytes(100), "application/pdf"},
        TypeCase{"known_by_name", "table.csv", "a;b\r\n", "text/csv"},
        TypeCase{"picture_by_its_magic_bytes", "picture", QByteArray("\x89PNG\r\n\x1a\n", 8) + patternBytes(64),
                 "image/png"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
