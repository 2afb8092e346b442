// Project files: the ".eml" byte for byte (key order, booleans, "Tab"/"Space", "Codes", attachments, "MailTask"
// kept), reading with defaults and repaired values, the legacy list, noname naming and clean-up, opening, and
// the save decisions (dialog cancelled, confirmed, save as, own name, existing project, writes that fail).

#include "core/project/project_files.h"

#include "core/settings/ini_info.h"
#include "core/project/project_attachments.h"
#include "core/project/project_editor_messages.h"
#include "platform/disk_write.h"
#include "platform/widgets/message_box.h"
#include "platform/string_grid.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <map>
#include <optional>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::sourcePath;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

void touch(const QString& path)
{
    if (path.endsWith('/'))
        QDir().mkpath(path);
    else
        writeFileBytes(path, "old");
}

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}

class ProjectFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        DefaultIniInfo = DefaultIniInfoValues();
        DefaultIniInfo.PathPro = testHome();
        ProjectIniInfo = DefaultIniInfo;
        ProjectAttachments.clear();
    }
    void TearDown() override { setMessageBoxResponder(nullptr); }

    // Records every message box and answers OK.
    void recordMessages()
    {
        setMessageBoxResponder([this](const QString& text, const QString& caption, unsigned flags) {
            shown.append(caption + " | " + text + " | " + QString::number(flags));
            return IDOK;
        });
    }

    QStringList shown;
};

// ---- the project file ----

TEST_F(ProjectFiles, FreshProjectFileHasTheCommonKeysInOrder)
{
    ProjectIniInfo.ProjectName = "offer";
    ProjectIniInfo.Subject = "Hello [Column#2]";
    ProjectIniInfo.SectionSymbol = "\t";
    ProjectIniInfo.Column = 1;
    ProjectIniInfo.ColumnA = 3;
    ProjectIniInfo.NConnect = 2;
    ProjectIniInfo.AutoCommit = true;
    ProjectIniInfo.Html = true;
    ProjectIniInfo.BaseUrl = "/srv/site/";
    ProjectIniInfo.CreateLog = true;
    ProjectIniInfo.LogFile = "offer.log";
    ProjectIniInfo.Codes = "550;553";
    ASSERT_TRUE(WriteMailProjectFile({"/data/a.pdf", "/data/b c.gif", "", "/data/never.txt"}));
    EXPECT_EQ(readFileBytes(testHome() + "offer.eml"), readFileBytes(sourcePath("core/data/project_written.eml")));
}

TEST_F(ProjectFiles, RewriteKeepsMailTaskAndUnknownKeysAndReplacesAttachments)
{
    QFile::copy(sourcePath("core/data/project_full.eml"), testHome() + "spring.eml");
    ProjectIniInfo.ProjectName = "spring";
    LoadMailProject();
    ProjectIniInfo.Subject = "Summer offer";
    ProjectIniInfo.SectionSymbol = " ";
    ProjectIniInfo.BaseUrl = "/srv/site/";
    ASSERT_TRUE(WriteMailProjectFile({"/data/only.pdf"}));
    EXPECT_EQ(readFileBytes(testHome() + "spring.eml"), readFileBytes(sourcePath("core/data/project_rewritten.eml")));
}

TEST_F(ProjectFiles, NoAttachmentsLeaveNoCount)
{
    QFile::copy(sourcePath("core/data/project_full.eml"), testHome() + "spring.eml");
    ProjectIniInfo.ProjectName = "spring";
    ASSERT_TRUE(WriteMailProjectFile({}));
    const QByteArray bytes = readFileBytes(testHome() + "spring.eml");
    EXPECT_FALSE(bytes.contains("Count=3"));
    EXPECT_FALSE(bytes.contains("price list"));
    EXPECT_TRUE(bytes.contains("[MailTask]\r\nEnabled=1\r\n"));
}

TEST_F(ProjectFiles, LoadReadsEveryKeyAndTheNonEmptyAttachments)
{
    QFile::copy(sourcePath("core/data/project_full.eml"), testHome() + "spring.eml");
    ProjectIniInfo.ProjectName = "spring";
    ProjectIniInfo.OptionsChanged = true;
    LoadMailProject();
    const TIniInfo& info = ProjectIniInfo;
    EXPECT_EQ(info.Subject, "Spring offer [Column#2]");
    EXPECT_EQ(info.SectionSymbol, "\t");
    EXPECT_EQ(info.Column, 2);
    EXPECT_EQ(info.ColumnA, 3);
    EXPECT_EQ(info.CharSet, "Deutsch(de),iso-8859-15");
    EXPECT_EQ(info.NConnect, 1);
    EXPECT_TRUE(info.AutoCommit);
    EXPECT_EQ(info.AutoCommitT, 25);
    EXPECT_TRUE(info.Html);
    EXPECT_EQ(info.BaseUrl, testHome());   // empty in the file
    EXPECT_TRUE(info.CreateLog);
    EXPECT_FALSE(info.ExternalSmtp);
    EXPECT_EQ(info.LogFile, "spring.log");
    EXPECT_EQ(info.Codes, "550;553");
    EXPECT_FALSE(info.OptionsChanged);
    ASSERT_EQ(ProjectAttachments.size(), 2);
    EXPECT_EQ(ProjectAttachments[0].displayName, "price list.pdf");
    EXPECT_EQ(ProjectAttachments[0].filePath, "/data/files/price list.pdf");
    EXPECT_EQ(ProjectAttachments[1].displayName, "logo.gif");
    EXPECT_EQ(ProjectAttachments[1].filePath, "/data/files/logo.gif");
    EXPECT_EQ(ProjectAttachments[1].mimeType, "");
    EXPECT_EQ(ProjectAttachments[1].encoding, AttachmentEncoding::Choose);
}

TEST_F(ProjectFiles, MissingFileGivesTheDefaults)
{
    DefaultIniInfo.CharSet = "Russian(ru),koi8-r";
    DefaultIniInfo.Codes = "421";
    DefaultIniInfo.Html = true;
    DefaultIniInfo.Subject = "not a project default";
    DefaultIniInfo.SectionSymbol = "|";
    DefaultIniInfo.Column = 5;
    ProjectIniInfo = DefaultIniInfo;
    ProjectIniInfo.ProjectName = "absent";
    ProjectAttachments.append(attachmentForFile("/old.pdf"));
    LoadMailProject();
    EXPECT_EQ(ProjectIniInfo.Subject, "");
    EXPECT_EQ(ProjectIniInfo.SectionSymbol, ";");
    EXPECT_EQ(ProjectIniInfo.Column, 0);
    EXPECT_EQ(ProjectIniInfo.ColumnA, 0);
    EXPECT_EQ(ProjectIniInfo.CharSet, "Russian(ru),koi8-r");
    EXPECT_EQ(ProjectIniInfo.Codes, "421");
    EXPECT_TRUE(ProjectIniInfo.Html);
    EXPECT_EQ(ProjectIniInfo.BaseUrl, testHome());
    EXPECT_TRUE(ProjectAttachments.isEmpty());
}

TEST_F(ProjectFiles, AttachmentCountIsOnlyAClaim)
{
    writeFileBytes(testHome() + "p.eml", "[Attachment]\r\n7=/b\r\n0=/a\r\nx=/x\r\n-1=/m\r\nCount=2000000000\r\n");
    writeFileBytes(testHome() + "q.eml", "[Attachment]\r\n0=/a\r\n1=/b\r\nCount=1\r\n");
    ProjectIniInfo.ProjectName = "p";
    LoadMailProject();
    ASSERT_EQ(ProjectAttachments.size(), 2);
    EXPECT_EQ(ProjectAttachments[0].filePath, "/a");
    EXPECT_EQ(ProjectAttachments[1].filePath, "/b");
    ProjectIniInfo.ProjectName = "q";
    LoadMailProject();
    ASSERT_EQ(ProjectAttachments.size(), 1);
    EXPECT_EQ(ProjectAttachments[0].filePath, "/a");
}

struct StoredCase {
    const char* name;
    QByteArray lines;
    QString delimiter;
    int column;
};

class StoredValuesTest : public ProjectFiles, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValuesTest, AreReadAsValidChoices)
{
    writeFileBytes(testHome() + "p.eml", "[Common]\r\n" + GetParam().lines);
    ProjectIniInfo.ProjectName = "p";
    LoadMailProject();
    EXPECT_EQ(ProjectIniInfo.SectionSymbol, GetParam().delimiter);
    EXPECT_EQ(ProjectIniInfo.Column, GetParam().column);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredValuesTest,
    ::testing::Values(StoredCase{"tab", "SectionSymbol=Tab\r\n", "\t", 0},
                      StoredCase{"space", "SectionSymbol=Space\r\nColumn=3\r\n", " ", 3},
                      StoredCase{"tab_and_blank_quoted", "SectionSymbol=\"Tab \"\r\n", "\t", 0},
                      StoredCase{"empty", "SectionSymbol=\r\n", ";", 0},
                      StoredCase{"several_characters", "SectionSymbol=,;\r\n", ",", 0},
                      StoredCase{"column_below_zero", "Column=-1\r\n", ";", 0},
                      StoredCase{"column_not_a_number", "Column=x\r\n", ";", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectFiles, WrittenProjectReadsBackTheSameSettings)
{
    ProjectIniInfo.ProjectName = "round";
    ProjectIniInfo.Subject = "S";
    ProjectIniInfo.SectionSymbol = " ";
    ProjectIniInfo.Column = 4;
    ProjectIniInfo.ColumnA = 1;
    ProjectIniInfo.ExternalSmtp = true;
    ProjectIniInfo.AutoCommit = false;
    ProjectIniInfo.Codes = "550";
    ProjectIniInfo.BaseUrl = "/b/";
    ASSERT_TRUE(WriteMailProjectFile({"/x.pdf"}));
    const TIniInfo written = ProjectIniInfo;
    ProjectIniInfo = DefaultIniInfo;
    ProjectIniInfo.ProjectName = "round";
    DefaultIniInfo.AutoCommit = true;   // a default that the stored "0" must override
    ProjectIniInfo.AutoCommit = true;
    LoadMailProject();
    EXPECT_EQ(ProjectIniInfo.Subject, written.Subject);
    EXPECT_EQ(ProjectIniInfo.SectionSymbol, " ");
    EXPECT_EQ(ProjectIniInfo.Column, 4);
    EXPECT_EQ(ProjectIniInfo.ColumnA, 1);
    EXPECT_TRUE(ProjectIniInfo.ExternalSmtp);
    EXPECT_FALSE(ProjectIniInfo.AutoCommit);
    EXPECT_EQ(ProjectIniInfo.Codes, "550");
    EXPECT_EQ(ProjectIniInfo.BaseUrl, "/b/");
    ASSERT_EQ(ProjectAttachments.size(), 1);
}

TEST_F(ProjectFiles, LegacyAddressBookIsCopiedWhenThereIsNoListFile)
{
    QDir().mkpath(testHome() + "old");
    writeFileBytes(testHome() + "old/book.txt", "a@x.org\r\n");
    writeFileBytes(testHome() + "p.eml", "[Common]\r\nAddressBook=old/book.txt\r\n");
    writeFileBytes(testHome() + "q.eml", "[Common]\r\nAddressBook=" + (testHome() + "old/book.txt").toUtf8() + "\r\n");
    writeFileBytes(testHome() + "r.eml", "[Common]\r\nAddressBook=old/book.txt\r\n");
    writeFileBytes(testHome() + "r.txt", "kept\r\n");
    for (const char* name : {"p", "q", "r"}) {
        ProjectIniInfo.ProjectName = name;
        LoadMailProject();
    }
    EXPECT_EQ(readFileBytes(testHome() + "p.txt"), "a@x.org\r\n");
    EXPECT_EQ(readFileBytes(testHome() + "q.txt"), "a@x.org\r\n");
    EXPECT_EQ(readFileBytes(testHome() + "r.txt"), "kept\r\n");
}

TEST_F(ProjectFiles, BodiesAreReadDecodedAndTheHtmlWrittenWithCrLf)
{
    ProjectIniInfo.ProjectName = "p";
    EXPECT_EQ(ReadPlainBody(), "");
    EXPECT_EQ(ReadHtmlBody(), std::nullopt);
    writeFileBytes(testHome() + "p.mml", "Gr\xFC\xDF" "e\r\n[Column#1]\n");
    ASSERT_TRUE(WriteHtmlBody(ProjectFilePath(".htm"), "<p>\u00FC</p>\n<br>"));
    EXPECT_EQ(readFileBytes(testHome() + "p.htm"), "<p>\xC3\xBC</p>\r\n<br>\r\n");
    EXPECT_EQ(ReadPlainBody(), "Gr\u00FC\u00DFe\r\n[Column#1]\n");
    EXPECT_EQ(ReadHtmlBody().value_or("<none>"), "<p>\u00FC</p>\r\n<br>\r\n");
    QString error;
    EXPECT_FALSE(WriteHtmlBody(testHome() + "p.mml/x.htm", "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

// ---- naming ----

struct NamingCase {
    const char* name;
    QStringList existing;   // below the project folder; a trailing "/" makes a folder
    QString expected;
};

class FirstFreeProjectNameTest : public ProjectFiles, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(FirstFreeProjectNameTest, SkipsNamesInUse)
{
    for (const QString& entry : GetParam().existing)
        touch(testHome() + entry);
    EXPECT_EQ(FirstFreeProjectName("noname%d", ".eml"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FirstFreeProjectNameTest,
    ::testing::Values(NamingCase{"empty_folder", {}, "noname0"},
                      NamingCase{"two_projects", {"noname0.eml", "noname1.eml"}, "noname2"},
                      NamingCase{"stale_list_and_body_do_not_count", {"noname0.txt", "noname0.mml"}, "noname0"},
                      NamingCase{"picture_folder", {"noname0.eml", "noname1/"}, "noname2"},
                      NamingCase{"colour_files", {"noname0.hcr", "noname1" "2.hcr", "noname2" "3.hcr"}, "noname3"},
                      NamingCase{"other_case_is_another_file", {"NONAME0.eml"}, "noname0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProjectFiles, PatternWithoutNumberIsItsOwnName)
{
    touch(testHome() + "draft.eml");
    EXPECT_EQ(FirstFreeProjectName("draft", ".eml"), "draft");
}

TEST_F(ProjectFiles, NewProjectTakesTheFreeNameAndDeletesItsStaleFiles)
{
    for (const char* entry : {"noname0.eml", "noname1.eml", "noname2.txt", "noname2.mml", "noname2.htm"})
        touch(testHome() + entry);
    ProjectIniInfo.Subject = "left from the last project";
    OpenProjectFiles(testHome() + "*.eml", true);
    EXPECT_EQ(ProjectIniInfo.PathPro, testHome());
    EXPECT_EQ(ProjectIniInfo.ProjectName, "noname2");
    EXPECT_EQ(ProjectIniInfo.Subject, "");
    EXPECT_FALSE(exists(testHome() + "noname2.txt"));
    EXPECT_FALSE(exists(testHome() + "noname2.mml"));
    EXPECT_FALSE(exists(testHome() + "noname2.htm"));
    EXPECT_TRUE(exists(testHome() + "noname1.eml"));
}

// File > New after a project with an attachment, whose options were changed in the defaults' preferences: the
// new project has no attachment and nothing to ask about.
TEST_F(ProjectFiles, NewProjectTakesNothingFromTheProjectBefore)
{
    writeFileBytes(testHome() + "Prices.eml",
                   "[Common]\r\nSubject=Prices\r\n[Attachment]\r\n0=/files/Price list.pdf\r\nCount=1\r\n");
    OpenProjectFiles(testHome() + "Prices.eml", false);
    ASSERT_EQ(ProjectAttachments.size(), 1);
    DefaultIniInfo.OptionsChanged = true;

    OpenProjectFiles(testHome() + "*.eml", true);
    EXPECT_TRUE(ProjectAttachments.isEmpty());
    EXPECT_FALSE(ProjectIniInfo.OptionsChanged);
    EXPECT_EQ(ProjectIniInfo.Subject, "");
    ASSERT_TRUE(WriteMailProjectFile({}));
    EXPECT_FALSE(readFileBytes(ProjectFilePath(projectExtension)).contains("Price list"));
}

TEST_F(ProjectFiles, NewProjectFolderIsMadeOrTakenFromThePattern)
{
    DefaultIniInfo.PathPro = testHome() + "made/deeper";
    OpenProjectFiles(testHome() + "*.eml", true);
    EXPECT_EQ(ProjectIniInfo.PathPro, testHome() + "made/deeper/");
    EXPECT_TRUE(QFileInfo(testHome() + "made/deeper").isDir());

    touch(testHome() + "file");
    DefaultIniInfo.PathPro = testHome() + "file/sub";   // cannot be made
    QDir().mkpath(testHome() + "chosen");
    OpenProjectFiles(testHome() + "chosen/*.eml", true);
    EXPECT_EQ(ProjectIniInfo.PathPro, testHome() + "chosen/");
    EXPECT_EQ(ProjectIniInfo.ProjectName, "noname0");
}

TEST_F(ProjectFiles, ExistingProjectIsReadFromItsFile)
{
    QDir().mkpath(testHome() + "p");
    QFile::copy(sourcePath("core/data/project_full.eml"), testHome() + "p/Spring.EML");
    OpenProjectFiles(testHome() + "p/Spring.EML", false);
    EXPECT_EQ(ProjectIniInfo.PathPro, testHome() + "p/");
    EXPECT_EQ(ProjectIniInfo.ProjectName, "Spring");
}

TEST(ProjectFileNames, EmlIsAppendedUnlessPresentAndCutExactly)
{
    EXPECT_EQ(WithProjectExtension("/p/offer"), "/p/offer.eml");
    EXPECT_EQ(WithProjectExtension("/p/offer.EML"), "/p/offer.EML");
    EXPECT_EQ(WithProjectExtension("/p/offer.eml.bak"), "/p/offer.eml.bak.eml");
    EXPECT_EQ(WithProjectExtension("/p/my.emlist"), "/p/my.emlist.eml");
    EXPECT_EQ(ProjectNameOfFile("/p/offer.EML"), "offer");
    EXPECT_EQ(ProjectNameOfFile("/p/my.emlist.eml"), "my.emlist");
    EXPECT_EQ(ProjectNameOfFile("/p/plain"), "plain");
}

// ---- opening through the editor ----

struct FakeEditor {
    bool open = false;
    bool refusesToClose = false;
    bool createFails = false;
    QStringList calls;

    ProjectEditorHooks hooks()
    {
        ProjectEditorHooks h;
        h.isOpen = [this] { return open; };
        h.askToClose = [this] {
            calls << "askToClose";
            open = refusesToClose;
        };
        h.bringToFront = [this] { calls << "bringToFront"; };
        h.create = [this](bool isNew) {
            calls << QStringLiteral("create %1").arg(isNew);
            open = !createFails;
            return !createFails;
        };
        h.fillFromProject = [this](bool isNew) {
            calls << QStringLiteral("fill %1 %2").arg(isNew).arg(ProjectIniInfo.ProjectName);
        };
        return h;
    }
};

struct OpenCase {
    const char* name;
    bool open, refusesToClose, createFails;
    OpenProjectOutcome outcome;
    QStringList calls;
};

class OpenProjectTest : public ProjectFiles, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(OpenProjectTest, ClosesCreatesAndFills)
{
    const OpenCase& c = GetParam();
    FakeEditor editor{c.open, c.refusesToClose, c.createFails, {}};
    SetProjectEditorHooks(editor.hooks());
    EXPECT_EQ(OpenProject(testHome() + "*.eml", true), c.outcome);
    EXPECT_EQ(editor.calls, c.calls);
    SetProjectEditorHooks({});
}

INSTANTIATE_TEST_SUITE_P(
    Editors, OpenProjectTest,
    ::testing::Values(OpenCase{"no_editor", false, false, false, OpenProjectOutcome::Opened, {"create 1", "fill 1 noname0"}},
                      OpenCase{"editor_closes", true, false, false, OpenProjectOutcome::Opened,
                               {"askToClose", "create 1", "fill 1 noname0"}},
                      OpenCase{"editor_refuses", true, true, false, OpenProjectOutcome::EditorKept,
                               {"askToClose", "bringToFront"}},
                      OpenCase{"creation_fails", false, false, true, OpenProjectOutcome::EditorNotCreated,
                               {"create 1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- saving ----

class SaveProject : public ProjectFiles {
protected:
    void SetUp() override
    {
        ProjectFiles::SetUp();
        recordMessages();
        list.setCell(0, 1, "a@x.org");
        list.setCell(1, 1, "Ann");
        content.subject = "Offer";
        content.column = 0;
        content.columnA = 0;
        content.attachmentPaths = {"/data/a.pdf"};
        content.list = &list;
        content.plainBody = "Dear [Column#2],\nhello";
        content.writeHtmlBody = [this](const QString& fileName, QString*) {
            htmlWrites << fileName;
            return htmlWriteSucceeds;
        };
    }

    // A new project noname0 in the test folder, as OpenProjectFiles leaves it.
    void startNewProject() { OpenProjectFiles(testHome() + "*.eml", true); }

    // Answers the dialog with answer (nullopt: cancelled) and records that it was asked.
    SaveFileChooser dialog(std::optional<QString> answer)
    {
        return [this, answer](const QString& title, const QString& fileName) {
            dialogs << title + " | " + fileName;
            return answer;
        };
    }

    StringGrid list{2, 2};
    ProjectContent content;
    ProjectEditorState state;
    QStringList dialogs;
    QStringList htmlWrites;
    bool htmlWriteSucceeds = true;
};

TEST_F(SaveProject, NewProjectCancelledStillWritesItsNonameFiles)
{
    startNewProject();
    ProjectIniInfo.OptionsChanged = true;
    EXPECT_FALSE(SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt)));
    EXPECT_EQ(dialogs, QStringList{"Save Project as | " + testHome() + "noname0.eml"});
    EXPECT_TRUE(state.isNew);
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(ProjectIniInfo.ProjectName, "noname0");
    EXPECT_TRUE(readFileBytes(testHome() + "noname0.eml").startsWith("[Common]\r\nSubject=Offer\r\n"));
    EXPECT_EQ(readFileBytes(testHome() + "noname0.txt"), "a@x.org;Ann\r\n");
    EXPECT_EQ(readFileBytes(testHome() + "noname0.mml"), "Dear [Column#2],\r\nhello\r\n");
    EXPECT_FALSE(ProjectIniInfo.OptionsChanged);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(SaveProject, NewProjectSavedUnderAChosenNameKeepsItsNonameFiles)
{
    startNewProject();
    SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt));
    QDir().mkpath(testHome() + "chosen");
    EXPECT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(),
                                dialog(testHome() + "chosen/Offer")));
    EXPECT_FALSE(state.isNew);
    EXPECT_FALSE(state.modified);
    EXPECT_EQ(ProjectIniInfo.PathPro, testHome() + "chosen/");
    EXPECT_EQ(ProjectIniInfo.ProjectName, "Offer");
    EXPECT_EQ(readFileBytes(testHome() + "chosen/Offer.txt"), "a@x.org;Ann\r\n");
    EXPECT_TRUE(exists(testHome() + "chosen/Offer.eml"));
    EXPECT_TRUE(exists(testHome() + "chosen/Offer.mml"));
    EXPECT_TRUE(exists(testHome() + "noname0.eml"));
    EXPECT_TRUE(exists(testHome() + "noname0.txt"));
}

TEST_F(SaveProject, NewProjectSavedAsAnotherNameLosesItsNonameFiles)
{
    startNewProject();
    SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt));
    touch(testHome() + "noname0.hcr");
    ASSERT_TRUE(exists(testHome() + "noname0.eml"));
    EXPECT_TRUE(SaveMailProject(true, content, state, ProjectEditorMessages(), dialog(testHome() + "Offer.EML")));
    EXPECT_EQ(ProjectIniInfo.ProjectName, "Offer");
    EXPECT_TRUE(exists(testHome() + "Offer.eml"));
    for (const char* extension : {".eml", ".txt", ".mml", ".hcr"})
        EXPECT_FALSE(exists(testHome() + "noname0" + extension)) << extension;
}

TEST_F(SaveProject, SaveAsTheProjectsOwnNameInOtherCaseKeepsItsFiles)
{
    startNewProject();
    SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt));
    EXPECT_TRUE(SaveMailProject(true, content, state, ProjectEditorMessages(),
                                dialog(testHome() + "NONAME0.eml")));
    EXPECT_EQ(ProjectIniInfo.ProjectName, "noname0");
    EXPECT_TRUE(exists(testHome() + "noname0.eml"));
    EXPECT_TRUE(exists(testHome() + "noname0.txt"));
    EXPECT_FALSE(state.isNew);
}

TEST_F(SaveProject, ExistingProjectSavesWithoutTheDialog)
{
    ProjectIniInfo.ProjectName = "offer";
    state = {false, true};
    EXPECT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt)));
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_FALSE(state.modified);
    EXPECT_TRUE(exists(testHome() + "offer.eml"));
}

TEST_F(SaveProject, ExistingProjectSavedAsAnotherNameKeepsTheOldFiles)
{
    ProjectIniInfo.ProjectName = "offer";
    state = {false, true};
    SaveMailProject(false, content, state, ProjectEditorMessages(), {});
    EXPECT_TRUE(SaveMailProject(true, content, state, ProjectEditorMessages(), dialog(testHome() + "copy")));
    EXPECT_EQ(dialogs, QStringList{"Save Project as | " + testHome() + "offer.eml"});
    EXPECT_TRUE(exists(testHome() + "offer.eml"));
    EXPECT_TRUE(exists(testHome() + "copy.eml"));
    EXPECT_EQ(readFileBytes(testHome() + "copy.txt"), "a@x.org;Ann\r\n");
}

TEST_F(SaveProject, WritesThatFailAreReportedAndKeepTheProjectModified)
{
    startNewProject();
    touch(testHome() + "plain_file");
    const QString folder = testHome() + "plain_file/";   // below a regular file: nothing can be written
    ProjectIniInfo.OptionsChanged = true;
    EXPECT_FALSE(SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(folder + "Offer.eml")));
    EXPECT_TRUE(state.isNew);
    EXPECT_TRUE(state.modified);
    EXPECT_TRUE(ProjectIniInfo.OptionsChanged);
    EXPECT_EQ(shown, QStringList({"Attention | File Save Error : " + folder + "Offer.eml\nNot a directory | 64",
                                  "Attention | Address Book Save Error : " + folder + "Offer.txt\nNot a directory | 64",
                                  "Attention | File Save Error : " + folder + "Offer.mml\nNot a directory | 64"}));
}

// On a full disk every file of the project keeps its old bytes, each failure names its file and the reason, and
// the project stays modified.
TEST_F(SaveProject, FullDiskKeepsEveryOldFileAndSaysWhy)
{
    ProjectIniInfo.ProjectName = "offer";
    state = {false, true};
    ASSERT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(), {}));
    QStringList names = QDir(testHome()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    std::map<QString, QByteArray> before;
    for (const QString& name : names)
        before[name] = readFileBytes(testHome() + name);
    content.subject = "Changed";
    list.setCell(0, 1, "new@x.org");
    content.plainBody = "new body";
    state.modified = true;
    {
        ScopedDiskFault disk({0, ENOSPC});
        EXPECT_FALSE(SaveMailProject(false, content, state, ProjectEditorMessages(), {}));
    }
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(QDir(testHome()).entryList(QDir::Files | QDir::Hidden, QDir::Name), names);
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(readFileBytes(testHome() + name), bytes) << name.toStdString();
    const QString reason = "\nNo space left on device | 64";
    EXPECT_EQ(shown, QStringList({"Attention | File Save Error : " + testHome() + "offer.eml" + reason,
                                  "Attention | Address Book Save Error : " + testHome() + "offer.txt" + reason,
                                  "Attention | File Save Error : " + testHome() + "offer.mml" + reason}));
}

// Cells that would split their record are saved with blanks, and the save says so once for all of them.
TEST_F(SaveProject, CellsWithLineBreaksOrTheDelimiterAreToldOnce)
{
    startNewProject();
    ProjectIniInfo.SectionSymbol = ";";
    list.setCell(1, 1, "Ann\r\nBerlin");
    list.setRowCount(3);
    list.setCell(0, 2, "b@x.org");
    list.setCell(1, 2, "Bob; Jr.");
    EXPECT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(testHome() + "Offer.eml")));
    EXPECT_EQ(readFileBytes(testHome() + "Offer.txt"), "a@x.org;Ann Berlin\r\nb@x.org;Bob  Jr.\r\n");
    EXPECT_EQ(shown, QStringList({"Attention | 2 cells held line breaks or the list's delimiter: the list file has "
                                  "blanks in their place. | 64"}));
    EXPECT_EQ(list.cell(1, 1), "Ann\r\nBerlin");   // the grid keeps what the user typed
}

TEST_F(SaveProject, ExistingProjectThatCannotBeWrittenIsNotSaved)
{
    touch(testHome() + "plain_file");
    ProjectIniInfo.PathPro = testHome() + "plain_file/";
    ProjectIniInfo.ProjectName = "offer";
    state = {false, true};
    EXPECT_FALSE(SaveMailProject(false, content, state, ProjectEditorMessages(), {}));
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(shown.size(), 3);
}

TEST_F(SaveProject, HtmlBodyIsWrittenWhenSavedAndModified)
{
    ProjectIniInfo.ProjectName = "offer";
    ProjectIniInfo.Html = true;
    touch(testHome() + "offer.htm");
    state = {false, true};
    content.htmlModified = false;
    EXPECT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(), {}));
    EXPECT_TRUE(htmlWrites.isEmpty());
    content.htmlModified = true;
    EXPECT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(), {}));
    EXPECT_EQ(htmlWrites, QStringList{testHome() + "offer.htm"});
    htmlWriteSucceeds = false;
    state.modified = true;
    EXPECT_FALSE(SaveMailProject(false, content, state, ProjectEditorMessages(), {}));
    EXPECT_TRUE(state.modified);
    EXPECT_EQ(shown, QStringList{"Attention | File Save Error : " + testHome() + "offer.htm | 64"});
}

TEST_F(SaveProject, SavedAsAnotherNameTakesTheUnchangedHtmlBodyAlong)
{
    ProjectIniInfo.ProjectName = "offer";
    ProjectIniInfo.Html = true;
    touch(testHome() + "offer.htm");
    state = {false, false};
    content.htmlModified = false;
    EXPECT_TRUE(SaveMailProject(true, content, state, ProjectEditorMessages(), dialog(testHome() + "copy")));
    EXPECT_EQ(htmlWrites, QStringList{testHome() + "copy.htm"});
}

TEST_F(SaveProject, CancelledDialogWritesNoHtmlBody)
{
    startNewProject();
    ProjectIniInfo.Html = true;
    content.htmlModified = true;
    EXPECT_FALSE(SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt)));
    EXPECT_TRUE(htmlWrites.isEmpty());
}

TEST_F(SaveProject, SavedChoicesComeFromTheEditor)
{
    ProjectIniInfo.ProjectName = "offer";
    state = {false, true};
    content.subject = "New subject";
    content.column = -1;
    content.columnA = 2;
    content.attachmentPaths = {"/a", "/b"};
    SaveMailProject(false, content, state, ProjectEditorMessages(), {});
    const QByteArray bytes = readFileBytes(testHome() + "offer.eml");
    EXPECT_TRUE(bytes.contains("Subject=New subject\r\n"));
    EXPECT_TRUE(bytes.contains("Column=-1\r\nColumnA=2\r\n"));
    EXPECT_TRUE(bytes.contains("[Attachment]\r\n0=/a\r\n1=/b\r\nCount=2\r\n"));
}

}  // namespace

TEST_F(SaveProject, ListFileThatCouldNotBeReadIsKept)
{
    ProjectIniInfo.ProjectName = "offer";
    writeFileBytes(testHome() + "offer.txt", "kept;as;it;is\r\n");
    content.keepListFile = true;
    state = {false, true};
    EXPECT_TRUE(SaveMailProject(false, content, state, ProjectEditorMessages(), dialog(std::nullopt)));
    EXPECT_EQ(readFileBytes(testHome() + "offer.txt"), "kept;as;it;is\r\n");
    EXPECT_TRUE(exists(testHome() + "offer.eml"));
    EXPECT_TRUE(exists(testHome() + "offer.mml"));
}
