// Language files on windows: LoadLanguage on a fixture window (what may change, what never does), the template
// against golden bytes, going back to the built texts, and the main window's Language menu with its fallback.

#include "core/dialogs/about_form.h"
#include "core/settings/accounts.h"
#include "core/project/attachments.h"
#include "core/settings/ini_info.h"
#include "core/language/language_built_texts.h"
#include "core/language/language_file.h"
#include "core/language/language_properties.h"
#include "core/frame/main_form.h"
#include "core/language/msg_language.h"
#include "core/sending/post_srv.h"
#include "core/schedule/schedule_objects.h"
#include "core/base/user_messages.h"
#include "tests/core/modal_dialogs.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"
#include "platform/string_grid.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace {

using sorvanta::test::MessageBoxRecorder;
using sorvanta::test::onNextModal;
using sorvanta::test::readFileBytes;
using sorvanta::test::sourcePath;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

template <class Component>
Component* named(QWidget* parent, const char* name, Component* component)
{
    component->setParent(parent);
    component->setObjectName(QLatin1String(name));
    return component;
}

// A window with one component of each translatable kind, a nested dialog, a Qt-internal part, a nameless label,
// a data list kept out of language files and an empty caption.
class TFixtureForm : public QDialog {
    Q_OBJECT
public:
    TFixtureForm()
    {
        setWindowTitle(QStringLiteral("Fixture Window"));
        msl = new TMsgLanguage(this, {"File not found", "", "Attention"});
        Label1 = named(this, "Label1", new QLabel(QStringLiteral("Two\nlines")));
        EmptyLabel = named(this, "EmptyLabel", new QLabel);
        Button1 = named(this, "Button1", new QPushButton(QStringLiteral("&Start")));
        Button1->setToolTip(QStringLiteral("Starts the run"));
        Edit1 = named(this, "Edit1", new QLineEdit(QStringLiteral("127.0.0.1")));
        ComboBox1 = named(this, "ComboBox1", new QComboBox);
        ComboBox1->addItems({"one", "", "three"});
        ComboBox1->setCurrentIndex(2);
        Memo1 = named(this, "Memo1", new QPlainTextEdit(QStringLiteral("first\nsecond")));
        Tree1 = named(this, "Tree1", new QTreeWidget);
        Tree1->setHeaderLabels({"Name", "Size"});
        StatusBar1 = named(this, "StatusBar1", new QStatusBar);
        StatusBar1->addWidget(new QLabel(QStringLiteral("Ready")));
        StatusBar1->addWidget(new QLabel);
        pcl = named(this, "pcl", new QTabWidget);
        tsMain = named(this, "tsMain", new QWidget);
        pcl->addTab(tsMain, QStringLiteral("Main"));
        Menu1 = named(this, "Menu1", new QMenu(QStringLiteral("&File")));
        Open1 = Menu1->addAction(QStringLiteral("Open..."));
        Open1->setObjectName(QStringLiteral("Open1"));
        Menu1->addAction(QStringLiteral("-"))->setObjectName(QStringLiteral("N1"));
        Spin1 = named(this, "Spin1", new QSpinBox);
        Spin1->findChild<QLineEdit*>()->setText(QStringLiteral("5"));
        new QLabel(QStringLiteral("nameless"), this);
        Files = named(this, "Files", new QListWidget);
        Files->addItem(QStringLiteral("a.txt"));
        keepOutOfLanguageFiles(Files);
        Inner = named(this, "Inner", new QDialog);
        Inner->setParent(this, Qt::Dialog);
        InnerLabel = named(Inner, "InnerLabel", new QLabel(QStringLiteral("Inside")));
    }

    TMsgLanguage* msl;
    QLabel* Label1;
    QLabel* EmptyLabel;
    QPushButton* Button1;
    QLineEdit* Edit1;
    QComboBox* ComboBox1;
    QPlainTextEdit* Memo1;
    QTreeWidget* Tree1;
    QStatusBar* StatusBar1;
    QTabWidget* pcl;
    QWidget* tsMain;
    QMenu* Menu1;
    QAction* Open1;
    QSpinBox* Spin1;
    QListWidget* Files;
    QDialog* Inner;
    QLabel* InnerLabel;
};

QString languageFile(const QByteArray& entries)
{
    const QString path = testHome() + QStringLiteral("french.lan");
    writeFileBytes(path, "[TFIXTUREFORM]\r\n" + entries);
    return path;
}

// ---- LoadLanguage ----

using Form = const TFixtureForm&;

struct LoadCase {
    const char* name;
    QByteArray entry;
    std::function<QString(Form)> read;
    QString expected;
};

class LoadLanguageTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadLanguageTest, AppliesOnlyTranslatableTexts)
{
    TFixtureForm form;
    LoadLanguage(&form, languageFile(GetParam().entry + "\r\n"));
    EXPECT_EQ(GetParam().read(form), GetParam().expected);
}

QString message1(const TFixtureForm& f) { return f.msl->text(1); }
QString message2(const TFixtureForm& f) { return f.msl->text(2); }

INSTANTIATE_TEST_SUITE_P(
    Entries, LoadLanguageTest,
    ::testing::Values(
        LoadCase{"window_caption", "Self.Caption=Fen\xc3\xaatre", [](Form f) { return f.windowTitle(); }, "Fenêtre"},
        LoadCase{"self_is_exact_case", "self.caption=x", [](Form f) { return f.windowTitle(); }, "Fixture Window"},
        LoadCase{"message_line", "msl.Items.2=Attention !", message2, "Attention !"},
        LoadCase{"empty_message_line_is_a_line", "msl.Items.1=Vide", message1, "Vide"},
        LoadCase{"index_not_a_number", "msl.Items.x=Non", message2, "Attention"},
        LoadCase{"index_past_the_end", "msl.Items.3=Non", [](Form f) { return f.msl->items().join('|'); },
                 "File not found||Attention"},
        LoadCase{"line_break_mark", "Label1.Caption=Deux~~lignes", [](Form f) { return f.Label1->text(); },
                 "Deux\nlignes"},
        LoadCase{"names_without_case", "button1.caption=&D\xc3\xa9marrer", [](Form f) { return f.Button1->text(); },
                 "&Démarrer"},
        LoadCase{"hint", "Button1.Hint=Lance", [](Form f) { return f.Button1->toolTip(); }, "Lance"},
        LoadCase{"empty_caption_stays_empty", "EmptyLabel.Caption=Rien", [](Form f) { return f.EmptyLabel->text(); },
                 ""},
        LoadCase{"edit_text", "Edit1.Text=10.0.0.1", [](Form f) { return f.Edit1->text(); }, "10.0.0.1"},
        LoadCase{"combo_item_keeps_selection", "ComboBox1.Items.2=trois",
                 [](Form f) { return f.ComboBox1->currentText() + QString::number(f.ComboBox1->currentIndex()); },
                 "trois2"},
        LoadCase{"memo_line", "Memo1.Lines.1=deux", [](Form f) { return f.Memo1->toPlainText(); }, "first\ndeux"},
        LoadCase{"column_caption", "Tree1.Columns.1.Caption=Taille",
                 [](Form f) { return f.Tree1->headerItem()->text(1); }, "Taille"},
        LoadCase{"column_wrong_subproperty", "Tree1.Columns.1.Width=9",
                 [](Form f) { return f.Tree1->headerItem()->text(1); }, "Size"},
        LoadCase{"panel_text", "StatusBar1.Panels.1.Text=Pr\xc3\xaat",
                 [](Form f) { return f.StatusBar1->findChildren<QLabel*>().at(1)->text(); }, "Prêt"},
        LoadCase{"tab_caption", "tsMain.Caption=Principal", [](Form f) { return f.pcl->tabText(0); }, "Principal"},
        LoadCase{"menu_caption", "Menu1.Caption=&Fichier", [](Form f) { return f.Menu1->title(); }, "&Fichier"},
        LoadCase{"menu_item_caption", "Open1.Caption=Ouvrir", [](Form f) { return f.Open1->text(); }, "Ouvrir"},
        LoadCase{"never_a_name", "Button1.Name=Hacked", [](Form f) { return f.Button1->objectName(); }, "Button1"},
        LoadCase{"never_the_object_name", "Button1.objectName=Hacked",
                 [](Form f) { return f.Button1->objectName(); }, "Button1"},
        LoadCase{"never_another_property", "Button1.styleSheet=color: red",
                 [](Form f) { return f.Button1->styleSheet(); }, ""},
        LoadCase{"never_another_text_property", "Edit1.placeholderText=x",
                 [](Form f) { return f.Edit1->placeholderText(); }, ""},
        LoadCase{"never_the_window_name", "Self.objectName=x", [](Form f) { return f.objectName(); }, ""},
        LoadCase{"not_a_nested_window", "InnerLabel.Caption=Dedans", [](Form f) { return f.InnerLabel->text(); },
                 "Inside"},
        LoadCase{"not_a_qt_part", "qt_spinbox_lineedit.Text=99",
                 [](Form f) { return f.Spin1->findChild<QLineEdit*>()->text(); }, "5"},
        LoadCase{"not_a_data_list", "Files.Items.0=b.txt", [](Form f) { return f.Files->item(0)->text(); }, "a.txt"},
        LoadCase{"unknown_component", "NoSuch.Caption=x", [](Form f) { return f.windowTitle(); }, "Fixture Window"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadLanguage, TakesOnlyTheWindowsSectionInFileOrder)
{
    TFixtureForm form;
    const QString path = testHome() + "french.lan";
    writeFileBytes(path, "[TMAINFORM]\r\nLabel1.Caption=Autre\r\nButton1.Caption=Non\r\n[tfixtureform]\r\n"
                         "Label1.Caption=Un\r\nno entry here\r\n\r\n[TOTHER]\r\nButton1.Caption=Non\r\n");
    LoadLanguage(&form, path);
    EXPECT_EQ(form.Label1->text(), "Un");
    EXPECT_EQ(form.Button1->text(), "&Start");
}

TEST(LoadLanguage, MissingFileIsCreatedEmptyAndChangesNothing)
{
    TFixtureForm form;
    const QString path = testHome() + "italian.lan";
    LoadLanguage(&form, path);
    EXPECT_EQ(readFileBytes(path), "");
    EXPECT_EQ(form.Label1->text(), "Two\nlines");
}

// ---- template ----

TEST(WriteLanguageTemplate, WritesTheGoldenTemplate)
{
    TFixtureForm form;
    const QString path = testHome() + "language.lan";
    ASSERT_TRUE(WriteLanguageTemplate(&form, path));
    EXPECT_EQ(readFileBytes(path), readFileBytes(sourcePath("core/data/language_template.lan")));
}

TEST(WriteLanguageTemplate, KeepsOtherSectionsAndReadsBackAsTheSameTexts)
{
    const QString path = testHome() + "language.lan";
    writeFileBytes(path, "[TMAINFORM]\r\nmsl.Items.0=File not found\r\n");
    TFixtureForm english;
    ASSERT_TRUE(WriteLanguageTemplate(&english, path));
    EXPECT_TRUE(readFileBytes(path).startsWith("[TMAINFORM]\r\nmsl.Items.0=File not found\r\n[TFIXTUREFORM]\r\n"));

    TFixtureForm changed;
    changed.Label1->setText("x");
    changed.msl->setText(2, "y");
    LoadLanguage(&changed, path);
    EXPECT_EQ(changed.Label1->text(), "Two\nlines");
    EXPECT_EQ(changed.msl->text(2), "Attention");
}

// ---- built texts ----

TEST(RestoreBuiltTexts, BringsBackTheBuiltTextsAfterSeveralLanguages)
{
    TFixtureForm form;
    LoadLanguage(&form, languageFile("Self.Caption=Fenetre\r\nLabel1.Caption=Un\r\nmsl.Items.0=Introuvable\r\n"));
    const QString german = testHome() + "german.lan";
    writeFileBytes(german, "[TFIXTUREFORM]\r\nLabel1.Caption=Eins\r\nTree1.Columns.0.Caption=Name!\r\n"
                           "ComboBox1.Items.0=eins\r\n");
    LoadLanguage(&form, german);
    ASSERT_EQ(form.Label1->text(), "Eins");
    RestoreBuiltTexts(&form);
    EXPECT_EQ(form.windowTitle(), "Fixture Window");
    EXPECT_EQ(form.Label1->text(), "Two\nlines");
    EXPECT_EQ(form.msl->text(0), "File not found");
    EXPECT_EQ(form.Tree1->headerItem()->text(0), "Name");
    EXPECT_EQ(form.ComboBox1->itemText(0), "one");
}

TEST(RestoreBuiltTexts, LeavesAnUntranslatedWindowAlone)
{
    TFixtureForm form;
    form.Label1->setText("changed at run time");
    RestoreBuiltTexts(&form);
    EXPECT_EQ(form.Label1->text(), "changed at run time");
}

// The attachment chooser's lists hold drives, folders and file names, which a translation would break.
TEST(LanguageProperties, AttachmentListsAreKeptOutOfLanguageFiles)
{
    TAttachmentForm form;
    for (const QObject* list : std::initializer_list<const QObject*>{form.DriveComboBox1, form.DirectoryListBox1,
                                                                      form.FileListBox1, form.AttList})
        EXPECT_TRUE(languageProperties(list).isEmpty()) << list->objectName().toStdString();
    EXPECT_TRUE(findLanguageProperty(form.AttachBtn, "caption").has_value());
}

// ---- the main window and its Language menu ----

class LanguageMenuTest : public ::testing::Test {
protected:
    void SetUp() override { DefaultIniInfo = DefaultIniInfoValues(); }
    void TearDown() override
    {
        form.reset();
        DefaultIniInfo = DefaultIniInfoValues();
    }

    void createForm()
    {
        form = std::make_unique<TMainForm>();
        QCoreApplication::processEvents();
    }

    QMenu* languageMenu() const { return form->findChild<QMenu*>(QStringLiteral("miLang")); }

    QStringList captions() const
    {
        QStringList texts;
        for (const QAction* item : languageMenu()->actions())
            texts << item->text();
        return texts;
    }

    QString checkedCaption() const
    {
        for (const QAction* item : languageMenu()->actions())
            if (item->isChecked())
                return item->text();
        return {};
    }

    void click(const QString& caption)
    {
        for (QAction* item : languageMenu()->actions())
            if (item->text() == caption)
                item->trigger();
    }

    static void writeFrench()
    {
        writeFileBytes(testHome() + "French.lan",
                       "[TMAINFORM]\r\nmsl.Items.0=Fichier introuvable\r\nSelf.Caption=Sorvanta (fr)\r\n"
                       "[TPROBEWINDOW]\r\nlabel.Caption=Salut\r\n");
    }

    MessageBoxRecorder boxes{IDNO};
    std::unique_ptr<TMainForm> form;
};

// An MDI child that registers for translation when it is created, as every window does.
class TProbeWindow : public QWidget {
    Q_OBJECT
public:
    TProbeWindow()
    {
        label = named(this, "label", new QLabel(QStringLiteral("Hello")));
        WindowHost::requestTranslation(this);
    }
    QLabel* label;
};

TEST_F(LanguageMenuTest, ListsTheLanguageFilesAfterDefaultEnglishWhichIsCheckedWhenNoneIsOn)
{
    writeFrench();
    writeFileBytes(testHome() + "german.LAN", "");
    writeFileBytes(testHome() + "language.lan", "");
    createForm();
    EXPECT_EQ(captions(), (QStringList{"Default (English)", "french", "german"}));
    EXPECT_EQ(checkedCaption(), "Default (English)");
    EXPECT_EQ(form->msl->text(0), "File not found");
    EXPECT_EQ(DefaultIniInfo.LangFile, "language");
}

TEST_F(LanguageMenuTest, LanguageInUseIsCheckedAndAppliedFromItsFileWhateverTheCaseOfItsName)
{
    writeFrench();
    DefaultIniInfo.LangOn = true;
    DefaultIniInfo.LangFile = "french";
    createForm();
    EXPECT_EQ(checkedCaption(), "french");
    EXPECT_EQ(form->msl->text(0), "Fichier introuvable");
    EXPECT_EQ(form->windowTitle(), "Sorvanta (fr)");

    auto* probe = new TProbeWindow;   // a window created now is translated too
    form->mdiArea()->addSubWindow(probe);
    EXPECT_EQ(probe->label->text(), "Salut");
}

TEST_F(LanguageMenuTest, LanguageWhoseFileWentFallsBackToDefaultEnglish)
{
    writeFrench();
    DefaultIniInfo.LangOn = true;
    DefaultIniInfo.LangFile = "italian";
    createForm();
    EXPECT_EQ(checkedCaption(), "Default (English)");
    EXPECT_EQ(DefaultIniInfo.LangFile, "language");
    EXPECT_FALSE(DefaultIniInfo.LangOn);
    EXPECT_EQ(form->msl->text(0), "File not found");
}

TEST_F(LanguageMenuTest, ChoosingALanguageTranslatesOpenWindowsAndDefaultEnglishRestoresTheirTexts)
{
    writeFrench();
    DefaultIniInfo.LangInit = true;
    createForm();
    auto* probe = new TProbeWindow;
    form->mdiArea()->addSubWindow(probe);
    ASSERT_EQ(probe->label->text(), "Hello");

    click("french");
    EXPECT_EQ(checkedCaption(), "french");
    EXPECT_EQ(DefaultIniInfo.LangFile, "french");
    EXPECT_TRUE(DefaultIniInfo.LangOn);
    EXPECT_FALSE(DefaultIniInfo.LangInit);
    EXPECT_EQ(probe->label->text(), "Salut");
    EXPECT_EQ(form->msl->text(0), "Fichier introuvable");

    click("Default (English)");   // no template file exists: the built texts come back all the same
    EXPECT_EQ(checkedCaption(), "Default (English)");
    EXPECT_EQ(DefaultIniInfo.LangFile, "language");
    EXPECT_FALSE(DefaultIniInfo.LangOn);
    EXPECT_EQ(probe->label->text(), "Hello");
    EXPECT_EQ(form->msl->text(0), "File not found");
    EXPECT_EQ(form->windowTitle(), "Sorvanta");
}

TEST_F(LanguageMenuTest, TemplateIsWrittenForEachNewWindowWhileAskedFor)
{
    DefaultIniInfo.LangInit = true;
    DefaultIniInfo.LangFile = "language";
    createForm();
    const auto probe = std::make_unique<TProbeWindow>();   // not shown: it only registers
    const QByteArray written = readFileBytes(testHome() + "language.lan");
    EXPECT_TRUE(written.contains("[TMAINFORM]\r\nSelf.Caption=Sorvanta\r\n")) << written.constData();
    EXPECT_TRUE(written.contains("msl.Items.0=File not found\r\n"));
    EXPECT_TRUE(written.contains("miEnglish.Caption=Default (English)\r\n"));
    EXPECT_TRUE(written.contains("[TPROBEWINDOW]\r\nSelf.Caption=\r\nlabel.Caption=Hello\r\n"));
    EXPECT_FALSE(written.contains("ClientArea")) << "the MDI client has no texts";
}

TEST_F(LanguageMenuTest, AboutBoxRegistersForTranslation)
{
    writeFileBytes(testHome() + "french.lan", "[TABOUTFORM]\r\nOKButton.Caption=D'accord\r\nSelf.Caption=A propos\r\n");
    DefaultIniInfo.LangOn = true;
    DefaultIniInfo.LangFile = "french";
    createForm();
    QString title, ok;
    onNextModal([&](QWidget* modal) {
        auto* about = qobject_cast<TAboutForm*>(modal);
        ASSERT_NE(about, nullptr);
        title = about->windowTitle();
        ok = about->OKButton->text();
        about->OKButton->click();
    });
    AboutExecute(form.get());
    EXPECT_EQ(title, "A propos");
    EXPECT_EQ(ok, "D'accord");
}

// A language file made from a template must not put the template's field values back over the project's.
TEST_F(LanguageMenuTest, SendingWindowIsTranslatedBeforeItsFieldsAreFilled)
{
    writeFileBytes(testHome() + "french.lan", "[T_POSTSRV]\r\neEMail.Text=template@old.test\r\n"
                                              "GetDnsButton.Caption=Obtenir DNS\r\n");
    DefaultIniInfo.LangOn = true;
    DefaultIniInfo.LangFile = "french";
    createForm();
    ProjectIniInfo = DefaultIniInfoValues();
    ProjectIniInfo.PathPro = testHome();
    ProjectIniInfo.ProjectName = "mailing";
    Accounts.Clear();
    auto account = std::make_unique<tAccountObj>();
    account->ReturnAddress = "sender@origin.test";
    Accounts.Add(std::move(account));
    StringGrid list(1, 2);   // one column, the title row and one address
    list.setRowCells(0, {"email"});
    list.setRowCells(1, {"ann@example.test"});
    {
        T_PostSrv window(&list, {"email"});
        EXPECT_EQ(window.findChild<QLineEdit*>("eEMail")->text(), "sender@origin.test");
        EXPECT_EQ(window.findChild<QAbstractButton*>("GetDnsButton")->text(), "Obtenir DNS");
    }
    SeriesObj.SetDefaults();
    TaskObj.SetDefaults();
    Accounts.Clear();
}

}  // namespace

#include "language_gui_test.moc"
