// The HTML page of the project editor: toolbar commands, first showing, import, save and preview.

#include "core/editor/html_editor_page.h"

#include "controls/font_combo_box.h"
#include "controls/go_to_web.h"
#include "core/base/tool_commands.h"
#include "core/base/user_messages.h"
#include "core/base/widget_factory.h"
#include "core/dialogs/input_form.h"
#include "core/editor/custom_colour_file.h"
#include "core/editor/html_colours.h"
#include "core/editor/html_view.h"
#include "core/editor/picture_copy.h"
#include "core/editor/picture_fetch_window.h"
#include "core/editor/picture_open_dialog.h"
#include "core/editor/plain_text_html.h"
#include "core/editor/tables_dialog.h"
#include "core/editor/web_pictures.h"
#include "core/project/project_files.h"
#include "core/settings/ini_info.h"
#include "platform/widgets/editing_area.h"
#include "platform/widgets/message_box.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QSignalBlocker>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The body style property cleared after every load of the project's page: an inline cursor only ever
// affected the editor, never the message.
const QString kClearedBodyProperty = QStringLiteral("cursor");
const QStringList kFontSizes = {"8", "10", "12", "14", "18", "24", "36"};

QString chooseFile(QWidget* parent, const char* name, const QStringList& filters, const QString& start)
{
    QFileDialog dialog(parent);
    dialog.setObjectName(QLatin1String(name));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    dialog.setDirectory(start);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

HtmlEditorPage::Choosers defaultChoosers()
{
    HtmlEditorPage::Choosers choosers;
    choosers.htmlFile = [](QWidget* parent) {
        return chooseFile(parent, "odHtml", {QStringLiteral("htm (*.htm *.html)"), QStringLiteral("All (*)")},
                          ProjectIniInfo.PathPro);
    };
    choosers.pictureFile = [](QWidget* parent) {
        return PictureOpenDialog::choosePicture(parent, ProjectIniInfo.PathPro);
    };
    choosers.linkAddress = [](QString& address) {
        return InputFormExecute(QObject::tr("Insert link"), QObject::tr("Address"), address, 255, false);
    };
    choosers.table = [](QWidget* parent) { return TablesExecute(parent, ProjectFilePath(QString())); };
    return choosers;
}

const char* commandOfTag(int tag)
{
    switch (tag) {
    case HtmlEditorPage::TagBold: return "Bold";
    case HtmlEditorPage::TagItalic: return "Italic";
    case HtmlEditorPage::TagUnderline: return "Underline";
    case HtmlEditorPage::TagLeft: return "JustifyLeft";
    case HtmlEditorPage::TagCenter: return "JustifyCenter";
    case HtmlEditorPage::TagRight: return "JustifyRight";
    case HtmlEditorPage::TagOutdent: return "Outdent";
    case HtmlEditorPage::TagIndent: return "Indent";
    default: return nullptr;
    }
}

// A queried font name may come quoted or as a list ("'DejaVu Sans', serif"): its first family.
QString firstFontFamily(QString name)
{
    name = name.section(u',', 0, 0).trimmed();
    if (name.size() >= 2 && (name.front() == u'"' || name.front() == u'\'') && name.back() == name.front())
        name = name.mid(1, name.size() - 2);
    return name;
}

}  // namespace

HtmlEditorPage::HtmlEditorPage(QWidget* editor, QWidget* parent)
    : QWidget(parent), m_editor(editor), m_choosers(defaultChoosers())
{
    setObjectName(QStringLiteral("HtmlEditorPage"));
    GoToWeb1 = new TGoToWeb(this);
    GoToWeb1->setObjectName(QStringLiteral("GoToWeb1"));
    connect(GoToWeb1, &TGoToWeb::openFailed, this,
            [this](const QString& error) { messageBox(this, error, tr("Error"), MB_OK | MB_ICONERROR); });
    buildToolbar();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlWBtools);
    layout->addStretch(1);   // WB takes this place once it is made
}

void HtmlEditorPage::setChoosers(Choosers choosers)
{
    const Choosers defaults = defaultChoosers();
    m_choosers = std::move(choosers);
    if (!m_choosers.htmlFile) m_choosers.htmlFile = defaults.htmlFile;
    if (!m_choosers.pictureFile) m_choosers.pictureFile = defaults.pictureFile;
    if (!m_choosers.linkAddress) m_choosers.linkAddress = defaults.linkAddress;
    if (!m_choosers.table) m_choosers.table = defaults.table;
}

// ---- the toolbar ----

QToolButton* HtmlEditorPage::addToolButton(QBoxLayout* row, const char* name, const QString& caption,
                                           const QString& hint, int tag)
{
    auto* button = makeToolButton(pnlWBtools, name, caption);
    button->setToolTip(hint);
    button->setProperty("Tag", tag);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [this, tag] { ToolbarCommand(tag); });
    row->addWidget(button);
    return button;
}

// Two rows, text formatting above, insertions and the font below: in one row the toolbar alone would be wider
// than a maximised editor at 120 DPI.
void HtmlEditorPage::buildToolbar()
{
    pnlWBtools = new QWidget;
    pnlWBtools->setObjectName(QStringLiteral("pnlWBtools"));
    auto* rows = new QVBoxLayout(pnlWBtools);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    auto* format = new QHBoxLayout;
    auto* insert = new QHBoxLayout;
    rows->addLayout(format);
    rows->addLayout(insert);
    sbOpen = addToolButton(format, "sbOpen", tr("Open"), tr("Import message from html file"), TagOpen);
    addToolButton(format, "sbBold", tr("B"), tr("Bold"), TagBold);
    addToolButton(format, "sbItalic", tr("I"), tr("Italic"), TagItalic);
    addToolButton(format, "sbUnderline", tr("U"), tr("Underlined"), TagUnderline);
    addToolButton(format, "sbColor", tr("Colour"), tr("Font colors"), TagFontColour);
    addToolButton(format, "SpeedButton6", tr("Left"), tr("Left"), TagLeft);
    addToolButton(format, "SpeedButton3", tr("Center"), tr("Center"), TagCenter);
    addToolButton(format, "SpeedButton1", tr("Right"), tr("Right"), TagRight);
    addToolButton(format, "SpeedButton10", tr("Outdent"), QString(), TagOutdent);
    addToolButton(format, "SpeedButton11", tr("Indent"), QString(), TagIndent);
    format->addStretch(1);
    addToolButton(insert, "SpeedButton12", tr("Image"), tr("Insert image"), TagImage);
    addToolButton(insert, "SpeedButton13", tr("Link"), tr("Insert link"), TagLink);
    addToolButton(insert, "SpeedButton14", tr("Table"), tr("Insert table"), TagTable);
    addToolButton(insert, "SpeedButton15", tr("Background"), tr("Fill background"), TagBackground);
    cbFontName = named(new TFontComboBox(pnlWBtools), "cbFontName");
    cbFontName->setToolTip(tr("Fonts"));
    cbFontName->setAccessibleName(cbFontName->toolTip());   // no label beside the tool bar's boxes
    cbFontName->setProperty("Tag", int(TagFontName));
    connect(cbFontName, &TFontComboBox::OnChange, this, [this] { ToolbarCommand(TagFontName); });
    insert->addWidget(cbFontName);
    cbFontSize = makeDropDown(pnlWBtools, "cbFontSize");
    cbFontSize->setToolTip(tr("Font Size"));
    cbFontSize->setAccessibleName(cbFontSize->toolTip());
    cbFontSize->setProperty("Tag", int(TagFontSize));
    cbFontSize->addItems(kFontSizes);
    connect(cbFontSize, &QComboBox::activated, this, [this] { ToolbarCommand(TagFontSize); });
    insert->addWidget(cbFontSize);
    addToolButton(insert, "SpeedButton16", tr("Preview"), tr("Open in browser"), TagPreview);
    insert->addStretch(1);
}

// ---- the page and its loading ----

HtmlView* HtmlEditorPage::ensureView()
{
    if (m_view)
        return m_view;
    QString error;
    m_view = HtmlView::create(this, &error);
    if (!m_view) {
        showEngineMissing(error);
        return nullptr;
    }
    keepLinesVisible(m_view);
    putInPagePlace(m_view);
    connect(m_view, &HtmlView::documentCompleted, this, &HtmlEditorPage::documentCompleted);
    connect(m_view, &HtmlView::loadFailed, this, &HtmlEditorPage::showLoadFailure);
    connect(m_view, &HtmlView::caretMayHaveMoved, this, &HtmlEditorPage::followCaret);
    connect(m_view, &HtmlView::placeholderDropped, this, &HtmlEditorPage::insertPlaceholder);
    return m_view;
}

// WB's place below the toolbar: a stretch at first, then WB, or the note that the engine is missing.
void HtmlEditorPage::putInPagePlace(QWidget* widget)
{
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    QLayoutItem* previous = layout->takeAt(1);
    if (previous->widget() == m_engineMissing)
        m_engineMissing = nullptr;
    delete previous->widget();
    delete previous;
    layout->addWidget(widget, 1);
}

// Without the engine's module the page says so where WB would be, and the user is told each time it is asked.
void HtmlEditorPage::showEngineMissing(const QString& error)
{
    if (!m_engineMissing) {
        auto* note = new QLabel(this);
        note->setObjectName(QStringLiteral("lblHtmlEngineMissing"));
        note->setWordWrap(true);
        note->setAlignment(Qt::AlignCenter);
        putInPagePlace(note);
        m_engineMissing = note;
    }
    m_engineMissing->setText(error);
    messageBox(this, error, tr("WYSIWYG HTML Editor"), MB_OK | MB_ICONWARNING);
}

bool HtmlEditorPage::DocumentReady() const
{
    return m_view && m_view->documentReady();
}

void HtmlEditorPage::resetForProject()
{
    m_shown = false;
    m_importPending = false;
    cbFontSize->setCurrentIndex(0);
    if (m_view)
        m_view->forgetDocument();
}

void HtmlEditorPage::showFirstTime(const QString& plainBody)
{
    if (m_shown)
        return;
    m_shown = true;
    HtmlView* view = ensureView();
    if (!view)
        return;
    const QString htmlFile = ProjectFilePath(htmlBodyExtension);
    QString error;
    if (QFileInfo(htmlFile).isFile()) {
        if (!view->loadHtmlFile(htmlFile, &error))
            showLoadFailure(error);
        return;
    }
    view->loadSource(ProjectIniInfo.PathPro, plainBody.isEmpty() ? QStringLiteral("Enter ... ") : PlainTextAsHtml(plainBody));
}

void HtmlEditorPage::documentCompleted()
{
    if (m_importPending) {
        m_importPending = false;
        WindowMessage::post(m_editor, WM_TOOLCOMMAND, 0, ToolHtmlImportLoaded);
        return;
    }
    WindowMessage::post(m_editor, WM_TOOLCOMMAND, 0, ToolHtmlPageLoaded);   // the editor updates its menu item
}

void HtmlEditorPage::showLoadFailure(const QString& reason)
{
    m_importPending = false;
    messageBox(this, reason, tr("Error"), MB_OK | MB_ICONERROR);
}

void HtmlEditorPage::PageLoaded()
{
    if (!m_view || !m_view->documentReady())
        return;
    m_view->clearBodyStyleProperty(kClearedBodyProperty);
    followCaret();
}

void HtmlEditorPage::focusPage()
{
    if (m_view)
        m_view->setFocus();
}

// ---- modified, save, pictures ----

bool HtmlEditorPage::HtmlModified()
{
    return m_view && HtmlBodyModified(*m_view, QFileInfo(ProjectFilePath(htmlBodyExtension)).isFile());
}

bool HtmlEditorPage::HtmlEdited()
{
    return m_view && m_view->documentReady() && m_view->dirty();
}

bool HtmlEditorPage::SaveHtmlSource(const QString& fileName)
{
    if (!m_view)
        return true;
    QString error;
    if (SaveHtmlBody(*m_view, fileName, &error) == HtmlSaveResult::Failed) {
        messageBox(this, tr("Fail to save HTML source") + QStringLiteral(" : ") + fileName + u'\n' + error,
                   tr("Error"), MB_OK);
        return false;
    }
    return true;
}

QString HtmlEditorPage::pictureFolder() const
{
    return ProjectFilePath(QString());
}

int HtmlEditorPage::pictureTimeoutMs() const
{
    return qMax(1, ProjectIniInfo.TimeOut) * 1000;
}

bool HtmlEditorPage::CopyImageToProject(QString& path)
{
    if (IsWebPictureAddress(path)) {
        QPointer<HtmlEditorPage> self(this);
        const QList<PictureFetcher::Result> results =
            FetchPicturesWithProgress(WebPictureAddresses({path}), pictureFolder(), pictureTimeoutMs());
        if (!self || results.isEmpty())
            return false;
        if (results.first().path.isEmpty()) {
            messageBox(this, FetchFailureText(results), tr("Insert image"), MB_OK | MB_ICONWARNING);
            return false;
        }
        path = results.first().path;
        return true;
    }
    const std::optional<QString> copy = CopyPictureToFolder(path, pictureFolder());
    if (!copy)
        return false;
    path = *copy;
    return true;
}

// ---- import ----

bool HtmlEditorPage::OpenCommand()
{
    HtmlView* view = ensureView();
    if (!view)
        return false;
    const QString fileName = m_choosers.htmlFile(this);
    if (fileName.isEmpty())
        return false;
    QString error;
    m_importPending = true;
    if (!view->loadHtmlFile(fileName, &error))
        showLoadFailure(error.isEmpty() ? tr("Cannot read %1").arg(fileName) : error);
    return true;
}

void HtmlEditorPage::ImportLoaded()
{
    if (!DocumentReady())
        return;
    const std::optional<QStringList> sources = m_view->pictureSources();
    if (!sources) {
        showLoadFailure(tr("The HTML page did not answer."));
        return;
    }
    QDir().mkpath(pictureFolder());
    const QString baseFolder = QFileInfo(m_view->documentPath()).absolutePath();
    const QStringList copied = ImportPictures(*sources, baseFolder, pictureFolder());
    QPointer<HtmlEditorPage> self(this);
    const QList<PictureFetcher::Result> fetched =
        FetchPicturesWithProgress(WebPictureAddresses(copied), pictureFolder(), pictureTimeoutMs());
    if (!self || !DocumentReady())
        return;   // the editor or its page went while the pictures came
    m_view->setPictureSources(WithFetchedPictures(copied, fetched));
    m_view->setTitle(ProjectIniInfo.ProjectName);
    emit projectModified();
    const QString htmlFile = ProjectFilePath(htmlBodyExtension);
    QString error;
    // A failed save keeps the imported page in the editor, modified.
    if (SaveHtmlSource(htmlFile) && !m_view->loadHtmlFile(htmlFile, &error))
        showLoadFailure(error);
    const QString failures = FetchFailureText(fetched);
    if (!failures.isEmpty())
        messageBox(this, failures, tr("Import message from html file"), MB_OK | MB_ICONWARNING);
}

// ---- toolbar commands ----

void HtmlEditorPage::ToolbarCommand(int tag)
{
    if (tag != TagOpen && !DocumentReady())
        return;
    if (runCommand(tag))
        emit projectModified();
}

// False when the command's dialog was cancelled: the page is as it was.
bool HtmlEditorPage::runCommand(int tag)
{
    if (const char* command = commandOfTag(tag)) {
        m_view->execCommand(QLatin1String(command));
        return true;
    }
    switch (tag) {
    case TagOpen: return OpenCommand();
    case TagFontColour: return chooseColourCommand(false);
    case TagBackground: return chooseColourCommand(true);
    case TagImage: return insertPicture();
    case TagLink: return insertLink();
    case TagTable: return insertTable();
    case TagFontName: m_view->execCommand(QStringLiteral("FontName"), cbFontName->FontName()); return true;
    case TagFontSize:
        m_view->execCommand(QStringLiteral("FontSize"), QString::number(FontSizeValue(cbFontSize->currentIndex())));
        return true;
    case TagPreview: preview(); return true;
    }
    return true;
}

bool HtmlEditorPage::chooseColourCommand(bool background)
{
    const QString colourFile = ProjectFilePath(colourExtension);
    if (background)
        ReadCustomColourFile(colourFile);
    const std::optional<QColor> colour = ChooseHtmlColour(this);
    if (!colour)
        return false;
    if (!background) {
        m_view->execCommand(QStringLiteral("ForeColor"), HtmlColourText(*colour));
        return true;
    }
    m_view->setBackgroundColour(HtmlColourText(*colour));
    WriteCustomColourFile(colourFile);
    return true;
}

bool HtmlEditorPage::insertPicture()
{
    QString path = m_choosers.pictureFile(this);
    if (path.isEmpty())
        return false;
    CopyImageToProject(path);
    const QString address = path.startsWith(u'/') ? QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) : path;
    m_view->execCommand(QStringLiteral("InsertImage"), address);
    return true;
}

// The engine has no address prompt of its own: the address is asked here.
bool HtmlEditorPage::insertLink()
{
    QString address;
    if (!m_choosers.linkAddress(address) || address.trimmed().isEmpty())
        return false;
    m_view->execCommand(QStringLiteral("CreateLink"), address.trimmed());
    return true;
}

bool HtmlEditorPage::insertTable()
{
    const std::optional<QString> table = m_choosers.table(this);
    if (!table)
        return false;
    m_view->insertHtml(*table);
    return true;
}

void HtmlEditorPage::preview()
{
    const QString htmlFile = ProjectFilePath(htmlBodyExtension);
    if (HtmlModified() && !SaveHtmlSource(htmlFile))
        return;
    GoToWeb1->Url = htmlFile;
    if (!GoToWeb1->GoToUrl())
        messageBox(this, GoToWeb1->errorString(), tr("Error"), MB_OK | MB_ICONERROR);
}

void HtmlEditorPage::insertPlaceholder(const QString& placeholder)
{
    if (!DocumentReady())
        return;
    m_view->insertText(placeholder);
    emit projectModified();
}

// The toolbar follows the font at the caret; its boxes are quiet meanwhile, so nothing is applied back.
void HtmlEditorPage::followCaret()
{
    QPointer<HtmlEditorPage> self(this);
    m_view->queryFontAtCaret([self](const QString& size, const QString& name) {
        if (!self)
            return;
        const QSignalBlocker quietName(self->cbFontName);
        const QSignalBlocker quietSize(self->cbFontSize);
        const int index = FontSizeIndex(size);
        if (index >= 0 && index != self->cbFontSize->currentIndex())
            self->cbFontSize->setCurrentIndex(index);
        const QString family = firstFontFamily(name);
        if (!family.isEmpty() && family != self->cbFontName->FontName())
            self->cbFontName->setFontName(family);
    });
}
