// Paths typed or pasted into a folder picker.

#include "core/dialogs/typed_path.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

struct TypedCase {
    const char* name;
    QString text;
    QString path;   // "~" stands for the home folder
};

class TypedPathTest : public ::testing::TestWithParam<TypedCase> {};

TEST_P(TypedPathTest, IsMadeAbsoluteAndClean)
{
    QString expected = GetParam().path;
    if (expected.startsWith('~'))
        expected = QDir::homePath() + expected.mid(1);
    EXPECT_EQ(typedPath(GetParam().text, "/srv/mail").toStdString(), expected.toStdString());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TypedPathTest,
    ::testing::Values(TypedCase{"absolute", "/etc/ssl/", "/etc/ssl"},
                      TypedCase{"relative", "lists/../spring", "/srv/mail/spring"},
                      TypedCase{"parent", "..", "/srv"},
                      TypedCase{"blanks_and_quotes", "  \"/home/ann/My Files/a.pdf\" ", "/home/ann/My Files/a.pdf"},
                      TypedCase{"single_quotes", "'/tmp/x y'", "/tmp/x y"},
                      TypedCase{"file_address", "file:///home/ann/%D0%9E%D1%82%D1%87%D1%91%D1%82.pdf",
                                "/home/ann/Отчёт.pdf"},
                      TypedCase{"file_address_raw", "file:///tmp/a b.txt", "/tmp/a b.txt"},
                      TypedCase{"home", "~", "~"},
                      TypedCase{"below_home", "~/Documents", "~/Documents"},
                      TypedCase{"tilde_in_name", "~ann", "/srv/mail/~ann"},
                      TypedCase{"empty", "   ", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
