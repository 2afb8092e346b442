// Splitting a desktop entry's Exec line, reading the Exec value of an entry, and the applications folders.

#include "controls/desktop_entry.h"
#include "controls/desktop_exec.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QDir>

#include <string>

namespace {

struct ExecCase {
    const char* name;
    const char* exec;
    bool ok;
    const char* program;
    QStringList arguments;   // for the target "T"
};

class SplitExecLineTest : public ::testing::TestWithParam<ExecCase> {};

TEST_P(SplitExecLineTest, SplitsOrRejects)
{
    const ExecCase& c = GetParam();
    const ExecCommand command = splitExecLine(QString::fromUtf8(c.exec));
    EXPECT_EQ(command.ok(), c.ok) << command.error.toStdString();
    EXPECT_EQ(command.program, QString::fromUtf8(c.program));
    if (c.ok)
        EXPECT_EQ(command.argumentsFor("T"), c.arguments);
    else
        EXPECT_TRUE(command.arguments.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ExecLines, SplitExecLineTest, ::testing::Values(
    ExecCase{"program_and_url_code", "browser %u", true, "browser", {"T"}},
    ExecCase{"options_kept_code_last", "/usr/bin/browser --new-window %U", true, "/usr/bin/browser",
             {"--new-window", "T"}},
    ExecCase{"target_where_the_code_stands", "browser --new-window %u --flag", true, "browser",
             {"--new-window", "T", "--flag"}},
    ExecCase{"file_code_between_options", "editor -a %F -b", true, "editor", {"-a", "T", "-b"}},
    ExecCase{"no_code_target_last", "editor --text", true, "editor", {"--text", "T"}},
    ExecCase{"first_target_code_only", "browser %f %F %u %U %i %c %k %d %D %n %N %v %m", true, "browser", {"T"}},
    ExecCase{"other_codes_dropped_target_last", "browser %i --x %c", true, "browser", {"--x", "T"}},
    ExecCase{"double_percent_is_literal", "browser --zoom=50%% %u", true, "browser", {"--zoom=50%", "T"}},
    ExecCase{"code_inside_option", "browser --app=%u --x", true, "browser", {"--app=T", "--x"}},
    ExecCase{"code_inside_quoted_option", "browser \"--open=%f here\"", true, "browser", {"--open=T here"}},
    ExecCase{"percent_at_end_dropped", "browser x%", true, "browser", {"x", "T"}},
    ExecCase{"code_in_program_name_goes_last", "brow%user -x", true, "browser", {"-x", "T"}},
    ExecCase{"quoted_program_with_blanks", "\"/opt/My Browser/run\" --private %u", true, "/opt/My Browser/run",
             {"--private", "T"}},
    ExecCase{"quoted_escapes", R"(browser "a \"b\" \$c \`d\` e\\f")", true, "browser", {R"(a "b" $c `d` e\f)", "T"}},
    ExecCase{"backslash_before_other_kept", R"(browser "a\qb")", true, "browser", {R"(a\qb)", "T"}},
    ExecCase{"empty_quoted_argument_kept", "browser \"\" %u", true, "browser", {"", "T"}},
    ExecCase{"tabs_and_repeated_blanks", "  browser\t -x   -y  ", true, "browser", {"-x", "-y", "T"}},
    ExecCase{"no_shell_meaning", "browser ; rm -rf $HOME | cat", true, "browser",
             {";", "rm", "-rf", "$HOME", "|", "cat", "T"}},
    ExecCase{"unbalanced_quote", "\"/opt/browser --new-window %u", false, "", {}},
    ExecCase{"escaped_closing_quote_leaves_it_open", R"(browser "abc\")", false, "", {}},
    ExecCase{"only_field_codes", "%u %F", false, "", {}},
    ExecCase{"empty_line", "", false, "", {}},
    ExecCase{"blank_line", "   ", false, "", {}},
    ExecCase{"empty_quoted_program", "\"\" --flag", false, "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UnescapeDesktopValue, UndoesStringEscapes)
{
    EXPECT_EQ(unescapeDesktopValue(uR"(a\sb\tc\nd\re\\f\qg\)"), QString::fromUtf8("a b\tc\nd\re\\f\\qg\\"));
    // A backslash doubled in the file becomes one backslash of the Exec quoting rules.
    EXPECT_EQ(splitExecLine(unescapeDesktopValue(uR"(b "x\\\\y")")).arguments, QStringList{"x\\y"});
}

struct EntryCase {
    const char* name;
    const char* contents;
    const char* exec;  // empty: an error is expected
};

class DesktopEntryExecTest : public ::testing::TestWithParam<EntryCase> {};

TEST_P(DesktopEntryExecTest, ReadsTheMainGroupsExec)
{
    const DesktopEntryExec entry = desktopEntryExec(QByteArray(GetParam().contents));
    EXPECT_EQ(entry.exec, QString::fromUtf8(GetParam().exec));
    EXPECT_EQ(entry.error.isEmpty(), !entry.exec.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Entries, DesktopEntryExecTest, ::testing::Values(
    EntryCase{"plain", "[Desktop Entry]\nType=Application\nExec=browser %u\n", "browser %u"},
    EntryCase{"blanks_around_equals_and_crlf", "# c\r\n[Desktop Entry]\r\nExec = browser -x %u \r\n",
              "browser -x %u"},
    EntryCase{"escapes_undone", "[Desktop Entry]\nExec=browser\\s-x\n", "browser -x"},
    EntryCase{"action_group_ignored",
              "[Desktop Action new]\nExec=other\n[Desktop Entry]\nExec=browser\n", "browser"},
    EntryCase{"localised_key_ignored", "[Desktop Entry]\nExec[de]=anders\nExec=browser\n", "browser"},
    EntryCase{"utf8_path", "[Desktop Entry]\nExec=/opt/n\xc3\xa4vigator %u\n", "/opt/n\xc3\xa4vigator %u"},
    EntryCase{"no_exec", "[Desktop Entry]\nName=Browser\n", ""},
    EntryCase{"exec_only_in_other_group", "[Desktop Action x]\nExec=browser\n", ""},
    EntryCase{"empty_exec", "[Desktop Entry]\nExec=\n", ""},
    EntryCase{"no_group", "Exec=browser\n", ""},
    EntryCase{"binary_garbage", "\x00\xff\xfe[Desktop\x01", ""},
    EntryCase{"empty_file", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopFileId, AcceptsOnlyPlainDesktopNames)
{
    EXPECT_TRUE(isDesktopFileId("browser.desktop"));
    EXPECT_TRUE(isDesktopFileId("org.example-browser.desktop"));
    for (const char* bad : {"", ".desktop", "../x.desktop", "a/b.desktop", ".hidden.desktop", "browser"})
        EXPECT_FALSE(isDesktopFileId(bad)) << bad;
}

TEST(DesktopEntryFile, MissingAndOversizedFilesAreErrors)
{
    const QString missing = QDir::tempPath() + "/sorvanta-no-such-entry.desktop";
    const DesktopEntryExec none = readDesktopEntryExec(missing);
    EXPECT_TRUE(none.exec.isEmpty());
    EXPECT_TRUE(none.error.contains(missing)) << none.error.toStdString();

    const QByteArray large = "[Desktop Entry]\nExec=browser\n" + QByteArray(1 << 20, '#');
    const DesktopEntryExec oversized = readDesktopEntryExec(sorvanta::test::writeTestFile("large.desktop", large));
    EXPECT_TRUE(oversized.exec.isEmpty());
    EXPECT_TRUE(oversized.error.contains("too large")) << oversized.error.toStdString();
}

}  // namespace
