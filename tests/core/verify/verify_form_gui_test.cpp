// The verification window's wiring against a scripted UDP DNS peer: opening from the project settings and the
// list grid, Start and the completion box, a refused connection count, Delete unavailable while a query is
// pending, Save As, the settings written back on close, the "-v" ending, the tool table entry and the row colours
// (kept only where they read on the desktop's palette).

#include "core/verify/verify_form.h"

#include "core/settings/accounts.h"
#include "core/settings/ini_info.h"
#include "core/frame/main_form.h"
#include "core/language/language_file.h"
#include "core/base/tool_commands.h"
#include "core/base/tool_window_exit.h"
#include "platform/clock.h"
#include "platform/widgets/colour_contrast.h"
#include "platform/widgets/string_grid_view.h"
#include "tests/core/result_grid_checks.h"
#include "tests/core/dns_table.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/dark_palette.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>

#include <memory>

using sorvanta::test::DnsTable;
using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;

namespace {

class VerifyFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // good.test has MX records, silent.test never answers, every other name gets NXDOMAIN.
        dns.set("good.test", DnsTable::Kind::Mx);
        dns.set("silent.test", DnsTable::Kind::Silent);
        peer.expectData().respond([this](const QByteArray& query) { return dns.answer(query); }).repeat();
        ASSERT_TRUE(peer.listen());
        ProjectIniInfo = DefaultIniInfoValues();
        ProjectIniInfo.DnsIP = peer.address();
        ProjectIniInfo.NumberConnect = 100;
        ProjectIniInfo.TimeOut = 2;
        Accounts.Clear();
        auto account = std::make_unique<tAccountObj>();
        account->SMTPServer = "smtp.example.test";
        Accounts.Add(std::move(account));
        ProjectIniInfo.NConnect = 0;
        list.setColumnCount(2);
    }
    void TearDown() override { Accounts.Clear(); }

    void setList(const QStringList& addresses)
    {
        list.setRowCount(int(addresses.size()) + 1);
        for (int row = 1; row <= addresses.size(); ++row)
            list.setRowCells(row, {QStringLiteral("n%1").arg(row), addresses[row - 1]});
    }

    std::unique_ptr<TVerifyForm> openForm()
    {
        auto form = std::make_unique<TVerifyForm>(list, 1);
        form->setDnsPort(QString::number(peer.port()));
        form->Opening();
        form->show();
        return form;
    }

    bool completed() const
    {
        return !boxes.boxes.empty() && boxes.boxes.back().text == "The process has been completed";
    }

    ScopedManualClock clock;
    MessageBoxRecorder boxes;
    DnsTable dns;
    ScriptedPeer peer{ScriptedPeer::Protocol::Udp};
    StringGrid list;
};

TEST_F(VerifyFormTest, OpeningTakesTheSettingsTheListAndEmptiesTheLog)
{
    const QString logPath = testHome() + "verifylog.txt";
    {
        QFile old(logPath);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old line\r\n");
    }
    setList({"a@good.test", "nobody"});
    auto form = openForm();
    EXPECT_EQ(form->NumConnect->text(), "100");
    EXPECT_EQ(form->DNSEdit->text(), peer.address());
    EXPECT_EQ(form->eTimeOut->value(), 2);
    EXPECT_EQ(form->SmtpEdit->text(), "smtp.example.test");
    EXPECT_EQ(form->results().rowCount(), 3);
    EXPECT_EQ(form->results().cell(0, 0), "EMail");
    EXPECT_EQ(form->results().cell(0, 1), "a@good.test");
    EXPECT_EQ(form->results().cell(2, 2), "No");
    sorvanta::test::expectResultGridLayout(*form->sgEm, VerifyEmailColumn, "a@good.test", VerifyCommentColumn);
    EXPECT_EQ(QFile(logPath).size(), 0);
    EXPECT_TRUE(form->StartButton->isEnabled());
    EXPECT_FALSE(form->StopButton->isEnabled());
}

TEST_F(VerifyFormTest, StartVerifiesAndReportsCompletion)
{
    setList({"a@good.test", "b@missing.test"});
    auto form = openForm();
    form->StartButton->click();
    EXPECT_FALSE(form->StartButton->isEnabled());
    EXPECT_FALSE(form->ResumeButton->isEnabled());
    EXPECT_TRUE(form->StopButton->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return completed(); }));
    EXPECT_EQ(boxes.boxes.back().caption, "Verify");
    EXPECT_EQ(boxes.boxes.back().flags, 0x2040u);
    EXPECT_EQ(form->results().cell(2, 1), "Ok");
    EXPECT_EQ(form->results().cell(2, 2), "No");
    EXPECT_TRUE(form->StartButton->isEnabled());
    EXPECT_FALSE(form->StopButton->isEnabled());
}

TEST_F(VerifyFormTest, InvalidConnectionCountIsRefusedBeforeAnythingChanges)
{
    setList({"a@good.test"});
    auto form = openForm();
    for (const char* bad : {"0", "abc", "-2", ""}) {
        form->NumConnect->setText(bad);
        form->StartButton->click();
        EXPECT_EQ(boxes.boxes.back().text, "The number of connections must be a whole number of at least 1") << bad;
        EXPECT_TRUE(form->StartButton->isEnabled()) << bad;
        EXPECT_TRUE(form->ResumeButton->isEnabled()) << bad;
        EXPECT_FALSE(form->StopButton->isEnabled()) << bad;
        EXPECT_FALSE(form->verifier().isRunning()) << bad;
    }
    sorvanta::test::pumpEvents(100);
    EXPECT_TRUE(peer.datagrams().isEmpty());
}

TEST_F(VerifyFormTest, DeleteUnavailableWaitsForThePendingQuery)
{
    setList({"a@good.test", "b@missing.test", "c@silent.test", "d@good.test", "e@missing.test"});
    auto form = openForm();
    form->StartButton->click();
    // Only c@silent.test stays pending.
    ASSERT_TRUE(waitUntil(
        [&] { return form->results().cell(2, 5) == "No" && form->verifier().queriesInFlight() == 1; }));
    // While the button waits, the pending query times out.
    QTimer::singleShot(200, [&] { clock.advance(3000); });
    form->SpeedButton1->click();
    EXPECT_EQ(form->verifier().queriesInFlight(), 0);
    EXPECT_FALSE(form->verifier().isRunning());
    ASSERT_EQ(list.rowCount(), 4);
    EXPECT_EQ(list.rowCells(1), (QStringList{"n1", "a@good.test"}));
    EXPECT_EQ(list.rowCells(2), (QStringList{"n3", "c@silent.test"}));
    EXPECT_EQ(list.rowCells(3), (QStringList{"n4", "d@good.test"}));
    ASSERT_EQ(form->results().rowCount(), 4);
    EXPECT_EQ(form->results().cell(2, 2), "No Data");
    EXPECT_EQ(form->results().rowStatus(2), StatusNoAnswer);
    EXPECT_TRUE(form->listChanged());
}

TEST_F(VerifyFormTest, SaveAsWritesEmailAndStateLines)
{
    setList({"a@good.test", "nobody"});
    auto form = openForm();
    form->StartButton->click();
    ASSERT_TRUE(waitUntil([&] { return completed(); }));
    const QString chosen = testHome() + "results";
    onNextModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters(), (QStringList{"Text files (*.txt)", "All files (*.*)"}));
        // The file-name edit has the focus, so selectFile() would leave it alone.
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);
        static_cast<QDialog*>(dialog)->accept();   // QFileDialog::accept, reached through the public slot
    });
    form->SpeedButton2->click();
    QFile file(chosen + ".txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "a@good.test;Ok\r\nnobody;No\r\n");
}

TEST_F(VerifyFormTest, CloseWritesTheSettingsBack)
{
    setList({"a@good.test"});
    auto form = openForm();
    form->NumConnect->setText("7");
    form->DNSEdit->setText("10.1.2.3");
    form->eTimeOut->setValue(4);
    form->SmtpEdit->setText(QString(300, 's'));
    form->ExplorerButton1->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(ProjectIniInfo.NumberConnect, 7);
    EXPECT_EQ(ProjectIniInfo.DnsIP, "10.1.2.3");
    EXPECT_EQ(ProjectIniInfo.TimeOut, 4);
    EXPECT_EQ(Accounts.Items(0)->SMTPServer, QString(255, 's'));
}

TEST_F(VerifyFormTest, CloseKeepsTheCountWhenTheTextIsNoCount)
{
    setList({"a@good.test"});
    auto form = openForm();
    form->NumConnect->setText("many");
    form->close();
    EXPECT_EQ(ProjectIniInfo.NumberConnect, 100);
}

TEST_F(VerifyFormTest, CloseWhileRunningFinishesTheRun)
{
    setList({"a@silent.test"});
    auto form = openForm();
    form->StartButton->click();
    ASSERT_TRUE(waitUntil([&] { return form->verifier().queriesInFlight() == 1; }));
    form->close();
    EXPECT_FALSE(form->verifier().isRunning());
    EXPECT_TRUE(completed());
}

TEST_F(VerifyFormTest, ClosingEndsTheProgramOnlyWhenStartedWithV)
{
    int ends = 0;
    setProgramEndHandler([&] { ++ends; });
    setList({"a@good.test"});
    for (bool viewOption : {false, true}) {
        CommandLineRequest commandLine;
        commandLine.endAfterToolWindow = viewOption;
        TMainForm main(commandLine);
        auto form = openForm();
        form->close();
        EXPECT_EQ(ends, viewOption ? 1 : 0);
    }
    setProgramEndHandler(nullptr);
}

TEST_F(VerifyFormTest, ToolTableOpensTheWindowModally)
{
    registerVerifyListTool();
    setList({"a@good.test"});
    QString caption;
    onNextModal([&](QWidget* modal) {
        caption = modal->windowTitle();
        modal->close();
    });
    ToolRequest request;
    request.listGrid = &list;
    request.emailColumn = 1;
    EXPECT_FALSE(runTool(ToolVerifyList, request));
    EXPECT_EQ(caption, "Verify E-mail List");
    setToolFunction(ToolVerifyList, nullptr);
}

// A row whose query failed on our side shows its own word, never the "No" of the rows that "Delete
// unavailable" removes, and keeps its row. The word is the last of the message list: a language file names
// it by its index, and a file written before it existed leaves the English word.
TEST_F(VerifyFormTest, FailedQueryShowsItsOwnWordInTheLanguageOfTheWindow)
{
    const struct {
        const char* name;
        QByteArray entries;
        QString state;
    } cases[] = {
        {"english", "", "Error"},
        {"translated", "msl.Items.11=Pas de r\xc3\xa9ponse\r\nmsl.Items.22=\xc3\x89" "chec\r\n", QStringLiteral("\u00c9chec")},
        {"file_older_than_the_word", "msl.Items.11=Pas de r\xc3\xa9ponse\r\n", "Error"},
    };
    dns.set("servfail.test", DnsTable::Kind::ServFail);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.boxes.clear();
        setList({"a@servfail.test", "b@missing.test"});
        auto form = openForm();
        const QString languagePath = testHome() + "test.lan";
        sorvanta::test::writeFileBytes(languagePath, "[TVERIFYFORM]\r\n" + c.entries);
        LoadLanguage(form.get(), languagePath);
        form->StartButton->click();
        ASSERT_TRUE(waitUntil([&] { return completed(); }));
        EXPECT_EQ(form->results().cell(VerifyStateColumn, 1), c.state);
        EXPECT_EQ(form->results().cell(VerifyCommentColumn, 1), "The DNS server could not answer (SERVFAIL)");
        EXPECT_EQ(form->results().cell(VerifyStateColumn, 2), "No");
        form->SpeedButton1->click();
        ASSERT_EQ(list.rowCount(), 2);
        EXPECT_EQ(list.cell(1, 1), "a@servfail.test");
    }
}

// Whether some pixel of image has exactly colour.
bool showsColour(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

TEST_F(VerifyFormTest, RowsAreDrawnInTheColourOfTheirStatus)
{
    setList({"a@good.test"});
    auto form = openForm();
    form->sgEm->clearSelection();
    form->sgEm->setCurrentIndex({});
    for (int status : {StatusNoDomain, StatusAvailable, StatusUnavailable, StatusNoAnswer, StatusQueryFailed}) {
        form->results().setRowStatus(1, status);
        form->results().setCell(VerifyCommentColumn, 1, QString(40, QChar(0x2588)));   // full blocks: solid text
        const QImage image = form->sgEm->viewport()->grab().toImage();
        EXPECT_TRUE(showsColour(image, shownStatusColour(status, form->sgEm->palette()))) << status;
    }
    form->results().setRowStatus(1, StatusNotVerified);
    EXPECT_FALSE(showsColour(form->sgEm->viewport()->grab().toImage(), verifyStatusColour(StatusAvailable)));
}

struct StatusColourCase {
    const char* name;
    bool darkPalette;
    int status;
    bool ownColour;   // the status keeps its own colour; else the palette's text colour
};

class ShownStatusColourTest : public ::testing::TestWithParam<StatusColourCase> {};

TEST_P(ShownStatusColourTest, KeepsTheStatusColourOnlyWhereItReads)
{
    const StatusColourCase& c = GetParam();
    const QPalette palette =
        c.darkPalette ? sorvanta::test::darkDesktopPalette() : QApplication::style()->standardPalette();
    const QColor shown = shownStatusColour(c.status, palette);
    EXPECT_EQ(shown, c.ownColour ? verifyStatusColour(c.status) : palette.color(QPalette::Text));
    EXPECT_GE(contrastRatio(shown, palette.color(QPalette::Base)), readableContrast);
}

INSTANTIATE_TEST_SUITE_P(
    Palettes, ShownStatusColourTest,
    ::testing::Values(StatusColourCase{"light_not_verified", false, StatusNotVerified, false},
                      StatusColourCase{"light_silver_no_domain", false, StatusNoDomain, false},
                      StatusColourCase{"light_navy_available", false, StatusAvailable, true},
                      StatusColourCase{"light_fuchsia_unavailable", false, StatusUnavailable, false},
                      StatusColourCase{"light_teal_no_answer", false, StatusNoAnswer, true},
                      StatusColourCase{"light_red_query_failed", false, StatusQueryFailed, false},
                      StatusColourCase{"dark_silver_no_domain", true, StatusNoDomain, true},
                      StatusColourCase{"dark_navy_available", true, StatusAvailable, false},
                      StatusColourCase{"dark_fuchsia_unavailable", true, StatusUnavailable, true},
                      StatusColourCase{"dark_teal_no_answer", true, StatusNoAnswer, false},
                      StatusColourCase{"dark_red_query_failed", true, StatusQueryFailed, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
