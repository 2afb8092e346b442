// Command-line classification: which parameters create the editor, start the verification or make the
// tool windows end the program.

#include "core/base/command_line.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {

using sorvanta::test::testHome;

struct CommandLineCase {
    const char* name;
    QStringList parameters;   // "FILE" stands for an existing file, "DIR" for an existing folder
    bool createEditor;
    bool startVerification;
    bool endAfterToolWindow;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, Classifies)
{
    const QString file = testHome() + "list project.eml";
    QFile(file).open(QIODevice::WriteOnly);
    QDir(testHome()).mkdir("folder");
    QStringList parameters = GetParam().parameters;
    parameters.replaceInStrings(QStringLiteral("FILE"), file);
    parameters.replaceInStrings(QStringLiteral("DIR"), testHome() + "folder");

    const CommandLineRequest request = classifyCommandLine(parameters);
    EXPECT_EQ(request.createEditor, GetParam().createEditor);
    EXPECT_EQ(request.startVerification, GetParam().startVerification);
    EXPECT_EQ(request.endAfterToolWindow, GetParam().endAfterToolWindow);
    if (request.createEditor || request.endAfterToolWindow) {
        EXPECT_EQ(request.fileName, file);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, CommandLineTest,
    ::testing::Values(
        CommandLineCase{"none", {}, false, false, false},
        CommandLineCase{"verify_with_third", {"-s", "FILE", "x"}, true, true, false},
        CommandLineCase{"view_with_third", {"-v", "FILE", "x"}, true, false, true},
        CommandLineCase{"verify_four_parameters", {"-s", "FILE", "x", "y"}, true, true, false},
        CommandLineCase{"verify_two_parameters", {"-s", "FILE"}, false, false, false},
        CommandLineCase{"view_two_parameters", {"-v", "FILE"}, false, false, true},
        CommandLineCase{"option_alone", {"-s"}, false, false, false},
        CommandLineCase{"upper_case_option", {"-S", "FILE", "x"}, false, false, false},
        CommandLineCase{"option_with_suffix", {"-sv", "FILE", "x"}, false, false, false},
        CommandLineCase{"other_option", {"-x", "FILE", "x"}, false, false, false},
        CommandLineCase{"file_first", {"FILE", "-s", "x"}, false, false, false},
        CommandLineCase{"missing_file", {"-s", "/no/such/file.eml", "x"}, false, false, false},
        CommandLineCase{"folder_not_file", {"-v", "DIR", "x"}, false, false, false},
        CommandLineCase{"empty_file_name", {"-v", "", "x"}, false, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
