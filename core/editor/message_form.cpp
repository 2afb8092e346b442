// The project editor: see message_form.h. The close question, the placeholders, the edit masks and the tool
// follow-ups are decided by functions that need no window (editor_close_question.h, placeholder_insert.h,
// edit_mask.h, editor_tools.h); this file wires them to the controls.

#include "core/editor/message_form.h"

#include "core/base/widget_factory.h"
#include "core/project/attachment_icons.h"
#include "core/project/attachment_item_delegate.h"
#include "core/project/attachments.h"
#include "core/base/close_query.h"
#include "core/editor/edit_mask.h"
#include "core/editor/editor_close_question.h"
#include "core/editor/editor_tools.h"
#include "core/editor/html_editor_page.h"
#include "core/settings/ini_info.h"
#include "core/project/list_file.h"
#include "core/base/window_host.h"
#include "core/language/msg_language.h"
#include "core/editor/placeholder_drag.h"
#include "core/editor/placeholder_insert.h"
#include "core/sending/post_srv.h"
#include "core/project/project_attachments.h"
#include "core/project/project_editor_messages.h"
#include "core/project/project_files.h"
#include "core/base/user_messages.h"
#include "platform/widgets/colour_contrast.h"
#include "platform/widgets/editing_area.h"
#include "platform/widgets/focused_editor.h"
#include "platform/widgets/message_box.h"
#include "platform/widgets/string_grid_view.h"
#include "platform/text_file.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

TNewMod2MessageForm* NewMod2MessageForm = nullptr;

namespace {

const QString kTextFormat = QStringLiteral("text");
const QString kHtmlFormat = QStringLiteral("html");

// A layout for owner without margins: the rows and parts of the window sit flush.
template <class Layout>
Layout* bareLayout(QWidget* owner)
{
    auto* layout = new Layout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    return layout;
}

// The label of field (its buddy, so that screen readers name the field after it), laid out before it.
void addFieldWithLabel(QBoxLayout* layout, const char* name, const QString& text, QWidget* field, int stretch = 0)
{
    layout->addWidget(makeFieldLabel(field, text, name));
    layout->addWidget(field, stretch);
}

// Fills box with items and selects index when it is one of them, else the first item (nothing when empty).
void refillBox(QComboBox* box, const QStringList& items, int index)
{
    const QSignalBlocker quiet(box);
    box->clear();
    box->addItems(items);
    box->setCurrentIndex(index >= 0 && index < items.size() ? index : (items.isEmpty() ? -1 : 0));
}

}  // namespace

TNewMod2MessageForm::TNewMod2MessageForm(QWidget* parent)
    : QWidget(parent), msl(new TMsgLanguage(this, ProjectEditorMessages())), m_grid(6, 9)
{
    setObjectName(QStringLiteral("NewMod2MessageForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(msl->text(MsgMessage));
    buildControls();
    buildMemoMenu();
    connectControls();
    installDrags();
    NewMod2MessageForm = this;
}

TNewMod2MessageForm::~TNewMod2MessageForm()
{
    sg1->setGrid(nullptr);
    if (NewMod2MessageForm == this)
        NewMod2MessageForm = nullptr;
}

// ---- controls ----

QToolButton* TNewMod2MessageForm::addButton(const char* name, const QString& caption, int tag)
{
    auto* button = new QToolButton;
    button->setObjectName(QLatin1String(name));
    button->setText(caption);
    button->setProperty("Tag", tag);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);   // speed buttons: the focused control stays focused
    return button;
}

void TNewMod2MessageForm::buildControls()
{
    sg1 = new StringGridView;
    sg1->setObjectName(QStringLiteral("sg1"));
    sg1->setDefaultColumnWidth(200);
    sg1->setDefaultRowHeight(17);
    sg1->setGrid(&m_grid);
    cbModi = new QCheckBox(tr("Modified"), this);
    cbModi->setObjectName(QStringLiteral("cbModi"));
    cbModi->setVisible(false);

    auto* message = new QWidget;
    auto* messageLayout = bareLayout<QVBoxLayout>(message);
    messageLayout->addWidget(buildMergeRows());
    messageLayout->addWidget(buildPages(), 1);
    messageLayout->addWidget(buildAttachmentRow());

    auto* listPart = new QWidget;
    auto* listLayout = bareLayout<QVBoxLayout>(listPart);
    listLayout->addWidget(sg1, 1);
    listLayout->addWidget(buildListOptionsRow());

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->addWidget(listPart);
    splitter->addWidget(message);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildToolRow());
    layout->addWidget(splitter, 1);
}

QWidget* TNewMod2MessageForm::buildToolRow()
{
    auto* row = new QWidget;
    auto* layout = bareLayout<QHBoxLayout>(row);
    sbOpenAB = addButton("sbOpenAB", tr("Import List"), ToolImportWizard);
    sbEditAB = addButton("sbEditAB", tr("Edit List"), ToolEditList);
    SpeedButton9 = addButton("SpeedButton9", tr("Unsubscribe"), ToolFilterList);
    SpeedButton9->setToolTip(tr("Filter Mailing List,  Remove Duplicates"));
    SpeedButton5 = addButton("SpeedButton5", tr("Verify List"), ToolVerifyList);
    SpeedButton8 = addButton("SpeedButton8", tr("Send Mailing List"));
    ExplorerButton1 = makeExplorerButton(this, "ExplorerButton1", tr("Close"), "close");
    for (QToolButton* button : {sbOpenAB, sbEditAB, SpeedButton9, SpeedButton5, SpeedButton8})
        layout->addWidget(button);
    layout->addStretch(1);
    layout->addWidget(ExplorerButton1);
    return row;
}

QWidget* TNewMod2MessageForm::buildListOptionsRow()
{
    auto* row = new QWidget;
    auto* layout = bareLayout<QHBoxLayout>(row);
    SectionSymbol = makeDropDown(nullptr, "SectionSymbol");
    SectionSymbol->addItems(DelimiterItems());
    addFieldWithLabel(layout, "Label1", tr("Field delimiter"), SectionSymbol);
    BoxTypeMes = makeDropDown(nullptr, "BoxTypeMes");
    BoxTypeMes->addItems({kTextFormat, kHtmlFormat});
    addFieldWithLabel(layout, "Label2", tr("Message format"), BoxTypeMes);
    ComboBox3 = makeDropDown(nullptr, "ComboBox3");
    addFieldWithLabel(layout, "Label3", tr("Email address in"), ComboBox3);
    layout->addStretch(1);
    lblCount = new QLabel;
    lblCount->setObjectName(QStringLiteral("lblCount"));
    layout->addWidget(lblCount);
    return row;
}

QWidget* TNewMod2MessageForm::buildMergeRows()
{
    auto* rows = new QWidget;
    auto* layout = bareLayout<QVBoxLayout>(rows);
    auto* subjectRow = new QHBoxLayout;
    SubjectEdt = new QLineEdit;
    SubjectEdt->setObjectName(QStringLiteral("SubjectEdt"));
    addFieldWithLabel(subjectRow, "Label4", tr("Subject"), SubjectEdt, 1);
    layout->addLayout(subjectRow);

    auto* mergeRow = new QHBoxLayout;
    ComboBox2 = makeDropDown(nullptr, "ComboBox2");
    addFieldWithLabel(mergeRow, "Label5", tr("Select fields for mail merge"), ComboBox2);
    SpeedButton7 = addButton("SpeedButton7", tr("Insert"));
    mergeRow->addWidget(SpeedButton7);
    mergeRow->addStretch(1);
    layout->addLayout(mergeRow);
    return rows;
}

QWidget* TNewMod2MessageForm::buildPages()
{
    pcl = new QTabWidget;
    pcl->setObjectName(QStringLiteral("pcl"));
    pcl->setTabPosition(QTabWidget::South);
    tsMsg = new QWidget;
    tsMsg->setObjectName(QStringLiteral("tsMsg"));
    Memo1 = new QTextEdit;
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAcceptRichText(false);
    Memo1->setReadOnly(true);   // editable only while it has the focus
    Memo1->setContextMenuPolicy(Qt::CustomContextMenu);
    Memo1->setAccessibleName(tr("Plain Text Editor"));   // named as its page: no label stands beside it
    keepLinesVisible(Memo1);
    (new QVBoxLayout(tsMsg))->addWidget(Memo1);
    tsHtml = new QWidget;
    tsHtml->setObjectName(QStringLiteral("tsHtml"));
    htmlPage = new HtmlEditorPage(this);
    connect(htmlPage, &HtmlEditorPage::projectModified, this, [this] { setModified(true); });
    (new QVBoxLayout(tsHtml))->addWidget(htmlPage);
    pcl->addTab(tsMsg, tr("Plain Text Editor"));
    pcl->addTab(tsHtml, tr("WYSIWYG HTML Editor"));
    pcl->tabBar()->setVisible(false);
    return pcl;
}

QWidget* TNewMod2MessageForm::buildAttachmentRow()
{
    auto* row = new QWidget;
    auto* layout = bareLayout<QHBoxLayout>(row);
    cbAtt = makeDropDown(nullptr, "cbAtt");
    addFieldWithLabel(layout, "Label6", tr("Attachment path in the field"), cbAtt);
    AttachmentsLB = makeDropDown(nullptr, "AttachmentsLB");
    AttachmentsLB->setItemDelegate(new AttachmentItemDelegate(AttachmentsLB));
    AttachmentsLB->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    AttachmentsLB->setMinimumContentsLength(40);
    addFieldWithLabel(layout, "Label7", tr("Attachments:"), AttachmentsLB, 1);
    SpeedButton4 = addButton("SpeedButton4", QStringLiteral("..."));
    layout->addWidget(SpeedButton4);
    return row;
}

void TNewMod2MessageForm::buildMemoMenu()
{
    puMemo = new QMenu(this);
    puMemo->setObjectName(QStringLiteral("puMemo"));
    struct Item { QAction** action; const char* name; QString caption; int tag; };
    const Item items[] = {
        {&miCut, "miCut", tr("Cut"), EditCut},         {&miCopy, "miCopy", tr("Copy"), EditCopy},
        {&miPaste, "miPaste", tr("Paste"), EditPaste}, {&miDelete, "miDelete", tr("Delete"), EditDelete},
        {&miUndo, "miUndo", tr("Undo"), EditUndo},     {&miRedo, "miRedo", tr("Redo"), EditRedo},
    };
    for (const Item& item : items) {
        *item.action = puMemo->addAction(item.caption);
        (*item.action)->setObjectName(QLatin1String(item.name));
        (*item.action)->setData(item.tag);
        (*item.action)->setShortcuts(FocusedEditor::standardKey(FocusedEditor::Command(item.tag)));
        connect(*item.action, &QAction::triggered, this,
                [this, tag = item.tag] { WindowMessage::post(this, WM_EDITCOMMAND, tag); });
    }
    WMEditState(0);
}

void TNewMod2MessageForm::connectControls()
{
    for (QToolButton* tool : {sbOpenAB, sbEditAB, SpeedButton9, SpeedButton5})
        connect(tool, &QToolButton::clicked, this,
                [this, tool] { WindowMessage::send(this, WM_TOOLCOMMAND, 0, tool->property("Tag").toInt()); });
    connect(SpeedButton8, &QToolButton::clicked, this, &TNewMod2MessageForm::SpeedButton8Click);
    connect(ExplorerButton1, &QAbstractButton::clicked, this, &TNewMod2MessageForm::ExplorerButton1Click);
    connect(SpeedButton7, &QToolButton::clicked, this, &TNewMod2MessageForm::SpeedButton7Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TNewMod2MessageForm::SpeedButton4Click);
    connect(SectionSymbol, &QComboBox::activated, this, &TNewMod2MessageForm::SectionSymbolChange);
    connect(BoxTypeMes, &QComboBox::activated, this, &TNewMod2MessageForm::BoxTypeMesChange);
    connect(pcl, &QTabWidget::currentChanged, this, &TNewMod2MessageForm::pclChange);
    for (QComboBox* box : {ComboBox3, cbAtt})
        connect(box, &QComboBox::activated, this, [this] { setModified(true); });
    connect(SubjectEdt, &QLineEdit::textChanged, this, [this] { setModified(true); });
    connect(Memo1, &QTextEdit::textChanged, this, [this] {
        setModified(true);
        sendEditState();
    });
    connect(Memo1, &QTextEdit::selectionChanged, this, &TNewMod2MessageForm::sendEditState);
    connect(Memo1, &QTextEdit::undoAvailable, this, &TNewMod2MessageForm::sendEditState);
    connect(Memo1, &QTextEdit::redoAvailable, this, &TNewMod2MessageForm::sendEditState);
    connect(Memo1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { puMemo->popup(Memo1->viewport()->mapToGlobal(at)); });
    connect(sg1, &QAbstractItemView::doubleClicked, this, &TNewMod2MessageForm::sg1DblClick);
    Memo1->installEventFilter(this);
}

void TNewMod2MessageForm::installDrags()
{
    new PlaceholderDragStarter(sg1->viewport(), PlaceholderSource::ListGrid,
                               [this] { return ColumnPlaceholder(std::max(sg1->currentColumn(), 0)); });
    new PlaceholderDragStarter(ComboBox2, PlaceholderSource::MergeChooser,
                               [this] { return ChooserPlaceholder(ComboBox2->currentText()); }, true,
                               [this] { ComboBox2->showPopup(); });
    SubjectEdt->installEventFilter(this);
    Memo1->viewport()->installEventFilter(this);
}

// ---- the modified flag and the caption ----

bool TNewMod2MessageForm::modified() const
{
    return cbModi->isChecked();
}

void TNewMod2MessageForm::setModified(bool modified)
{
    cbModi->setChecked(modified);
}

QString TNewMod2MessageForm::caption() const
{
    return msl->text(MsgMessage) + QStringLiteral(" - ") + ProjectIniInfo.ProjectName;
}

// ---- filling from the project ----

void TNewMod2MessageForm::FillFromProject()
{
    selectDelimiter(ProjectIniInfo.SectionSymbol);
    SubjectEdt->setText(ProjectIniInfo.Subject);
    LoadListIntoGrid(ProjectFilePath(listExtension));
    Memo1->setPlainText(splitLines(ReadPlainBody()).join(QLatin1Char('\n')));
    Memo1->setFocus();
    Memo1->moveCursor(QTextCursor::Start);
    BoxTypeMes->setCurrentText(ProjectIniInfo.Html ? kHtmlFormat : kTextFormat);
    htmlPage->resetForProject();
    BoxTypeMesChange();
    if (ProjectIniInfo.Html)
        showHtmlPageFirstTime();
    WindowMessage::post(this, WM_ATTACHFILE);
    setWindowTitle(caption());
    setModified(false);   // new or opened, a project has no changes until the user makes one
}

void TNewMod2MessageForm::selectDelimiter(const QString& delimiter)
{
    const QSignalBlocker quiet(SectionSymbol);
    SectionSymbol->setCurrentIndex(SectionSymbol->findText(DelimiterName(delimiter)));
}

void TNewMod2MessageForm::LoadListIntoGrid(const QString& fileName)
{
    if (m_listLoader.busy())
        return;
    setEnabled(false);   // the load pumps events: no command may touch the grid meanwhile
    const ListLoadResult result =
        m_listLoader.load(m_grid, fileName, ProjectIniInfo.SectionSymbol, msl->text(MsgLoadAddressBook));
    // A list read in part (an error, or Stop) must not replace the whole file on the next save.
    m_listUnread = !result.readError.isEmpty() || result.stopped;
    m_blankRecordRead = result.records == 1 && isEmptyList(m_grid);
    setEnabled(true);
    fillColumnBoxes();
}

// Steps after the grid got its titles: the column boxes, the column choices and the record count.
void TNewMod2MessageForm::fillColumnBoxes()
{
    const QStringList titles = ListColumnTitles(m_grid);
    ClampColumnChoices(int(titles.size()), ProjectIniInfo.Column, ProjectIniInfo.ColumnA);
    refillBox(ComboBox3, titles, ProjectIniInfo.Column);
    refillBox(ComboBox2, titles, ProjectIniInfo.Column);
    refillBox(cbAtt, QStringList(tr("None")) + titles, ProjectIniInfo.ColumnA);
    postRecordCount();
}

void TNewMod2MessageForm::RetitleList()
{
    setModified(true);
    TitleListColumns(m_grid);
    fillColumnBoxes();
}

void TNewMod2MessageForm::postRecordCount()
{
    WindowMessage::post(this, WM_LISTCHANGED);
}

// ---- the user messages ----

bool TNewMod2MessageForm::event(QEvent* event)
{
    WindowMessage* message = WindowMessage::from(event);
    if (!message)
        return QWidget::event(event);
    if (m_listLoader.busy()) {   // the load pumps events; the command (a save too) runs once the list is in
        WindowMessage::post(this, message->msg, message->wParam, message->lParam);
        return true;
    }
    switch (message->msg) {
    case WM_SAVEPROJECT: WMSaveProject(message->wParam); break;
    case WM_ATTACHFILE: WMAttachFile(); break;
    case WM_TOOLCOMMAND: WMToolCommand(message->lParam); break;
    case WM_LISTCHANGED: WMListChanged(); break;
    case WM_EDITSTATE: WMEditState(int(message->wParam)); break;
    case WM_EDITCOMMAND: WMEditCommand(int(message->wParam)); break;
    default: return QWidget::event(event);
    }
    return true;
}

void TNewMod2MessageForm::WMSaveProject(qintptr wParam)
{
    SaveProject(wParam == 1);
}

void TNewMod2MessageForm::WMAttachFile()
{
    AttachmentsLB->clear();
    for (const AttachmentRecord& record : std::as_const(ProjectAttachments)) {
        AttachmentsLB->addItem(attachmentIcon(record.mimeType), AttachmentCaption(record));
        AttachmentsLB->setItemData(AttachmentsLB->count() - 1, record.filePath, AttachmentItemDelegate::PathRole);
    }
    const bool any = AttachmentsLB->count() > 0;
    AttachmentsLB->setCurrentIndex(any ? 0 : -1);
    AttachmentsLB->setEnabled(any);
    QPalette colours = AttachmentsLB->palette();
    colours.setColor(QPalette::Button, any ? palette().color(QPalette::Window)
                                           : readableSilver(palette(), QPalette::ButtonText));
    AttachmentsLB->setPalette(colours);
}

void TNewMod2MessageForm::WMToolCommand(qintptr code)
{
    if (code >= ToolImportAddressBook && code <= ToolVerifyList)
        runListTool(ToolCode(code));
    else if (code == ToolHtmlImportLoaded)
        htmlPage->ImportLoaded();
    else if (code == ToolHtmlPageLoaded) {
        htmlPage->PageLoaded();
        postImportHtmlMenuState();
    }
    else if (code == ToolImportHtml)
        htmlPage->OpenCommand();
}

void TNewMod2MessageForm::WMListChanged()
{
    const int records = m_blankRecordRead ? 1 : listRecordCount(m_grid);
    lblCount->setText(QString::number(records) + QStringLiteral(" records"));
}

void TNewMod2MessageForm::WMEditState(int mask)
{
    for (QAction* item : {miCut, miCopy, miPaste, miDelete, miUndo, miRedo})
        item->setEnabled((mask & item->data().toInt()) != 0);
}

void TNewMod2MessageForm::WMEditCommand(int command)
{
    PerformEditCommand(focusWidget(), command);
}

// ---- the list tools ----

void TNewMod2MessageForm::runListTool(ToolCode code)
{
    ToolRequest request;
    request.parent = this;
    request.listGrid = &m_grid;
    QString delimiter = ProjectIniInfo.SectionSymbol;
    request.delimiter = &delimiter;
    if (code == ToolVerifyList) {
        request.emailColumn = ComboBox3->currentIndex();
        if (!EmailColumnDefined(request.emailColumn, m_grid.columnCount())) {
            messageBox(this, msl->text(MsgDefineEmailColumn), msl->text(MsgInfo), MB_OK | MB_ICONINFORMATION);
            return;
        }
    } else if (code == ToolEditList) {
        request.listFileName = ProjectFilePath(listExtension);
    }
    const bool changed = runGuarded(code, request);
    if (changed) {
        m_listUnread = false;   // the grid is the user's list now
        m_blankRecordRead = false;
    }
    applyToolFollowUp(FollowUpOfTool(code, changed), delimiter);
    if (changed)
        refreshSendingWindow();
}

// A sending window copied the list's rows into its results: it makes them anew from the changed list (when it
// is not sending; a run under way refreshes before its next start).
void TNewMod2MessageForm::refreshSendingWindow()
{
    WindowMessage::post(WindowHost::mainWindow(), WM_REFRESHSEND);
}

// A tool's failure must not cross the event loop. The grid may be half changed then: it counts as changed, so
// the boxes follow it and closing asks before anything is lost.
bool TNewMod2MessageForm::runGuarded(ToolCode code, ToolRequest& request)
{
    try {
        return code == ToolVerifyList ? RunVerification(request) : runTool(code, request);
    } catch (const std::exception& failure) {
        messageBox(this, QString::fromLocal8Bit(failure.what()), msl->text(MsgAttention), MB_OK | MB_ICONERROR);
        return true;
    }
}

void TNewMod2MessageForm::applyToolFollowUp(const ToolFollowUp& followUp, const QString& delimiter)
{
    if (followUp.emailColumnFirst)
        ProjectIniInfo.Column = 0;
    if (followUp.retitleList)
        RetitleList();
    if (followUp.listEditorWriteBack)
        takeListEditorWriteBack(delimiter);
    if (followUp.markModified)
        setModified(true);
    if (followUp.postRecordCount)
        postRecordCount();
}

void TNewMod2MessageForm::takeListEditorWriteBack(const QString& delimiter)
{
    ProjectIniInfo.SectionSymbol = DelimiterFromName(delimiter);
    selectDelimiter(ProjectIniInfo.SectionSymbol);
    TitleListColumns(m_grid);
    const QStringList titles = ListColumnTitles(m_grid);
    refillBox(ComboBox3, titles, ComboBox3->currentIndex());
    refillBox(ComboBox2, titles, ComboBox2->currentIndex());
    setModified(true);
}

void TNewMod2MessageForm::sg1DblClick()
{
    WindowMessage::send(this, WM_TOOLCOMMAND, 0, ToolEditList);
    postRecordCount();
}

// ---- list options ----

void TNewMod2MessageForm::SectionSymbolChange()
{
    const QString listFile = ProjectFilePath(listExtension);
    const DelimiterChange change =
        DecideDelimiterChange(ProjectIniInfo.SectionSymbol, SectionSymbol->currentText(),
                              QFileInfo(listFile).isFile(), modified(), msl->text(MsgReloadListQuestion),
                              msl->text(MsgConfirm));
    switch (change) {
    case DelimiterChange::Unchanged:
        return;
    case DelimiterChange::Refused:
        selectDelimiter(ProjectIniInfo.SectionSymbol);
        return;
    case DelimiterChange::Set:
        ProjectIniInfo.SectionSymbol = DelimiterFromName(SectionSymbol->currentText());
        setModified(true);
        return;
    case DelimiterChange::SetAndReload:
        ProjectIniInfo.SectionSymbol = DelimiterFromName(SectionSymbol->currentText());
        LoadListIntoGrid(listFile);
        setModified(true);
        refreshSendingWindow();
        return;
    }
}

void TNewMod2MessageForm::BoxTypeMesChange()
{
    ProjectIniInfo.Html = BoxTypeMes->currentText() == kHtmlFormat;
    pcl->tabBar()->setVisible(ProjectIniInfo.Html);
    pcl->setCurrentWidget(ProjectIniInfo.Html ? tsHtml : tsMsg);   // a changed page runs pclChange
    setModified(true);
}

void TNewMod2MessageForm::pclChange()
{
    if (pcl->currentWidget() == tsHtml) {
        showHtmlPageFirstTime();
        htmlPage->focusPage();
    } else {
        Memo1->setFocus();
    }
    postImportHtmlMenuState();
}

// "Import message from html file" is enabled exactly while the HTML page is shown with a page loaded.
void TNewMod2MessageForm::postImportHtmlMenuState()
{
    const bool enabled = pcl->currentWidget() == tsHtml && htmlPage->DocumentReady();
    WindowMessage::post(WindowHost::mainWindow(), WM_TOOLCOMMAND, RequestImportHtmlMenuState, enabled ? 1 : 0);
}

// ---- the HTML body ----

void TNewMod2MessageForm::showHtmlPageFirstTime()
{
    htmlPage->showFirstTime(Memo1->toPlainText().split(QLatin1Char('\n')).join(QStringLiteral("\r\n")));
}

bool TNewMod2MessageForm::htmlBodyModified()
{
    return htmlPage->HtmlModified();
}

// ---- placeholders ----

void TNewMod2MessageForm::SpeedButton7Click()
{
    InsertFocus focus;
    focus.subjectFocused = SubjectEdt->hasFocus();
    focus.plainEditorFocused = Memo1->hasFocus();
    focus.plainPageShown = pcl->currentWidget() == tsMsg;
    focus.htmlEditorFocused = htmlPage->isAncestorOf(focusWidget());
    focus.htmlPageShown = pcl->currentWidget() == tsHtml;
    const QString placeholder = ChooserPlaceholder(ComboBox2->currentText());
    switch (ChooseInsertTarget(focus)) {
    case InsertTarget::Subject: SubjectEdt->insert(placeholder); break;
    case InsertTarget::PlainEditor: Memo1->insertPlainText(placeholder); break;
    case InsertTarget::HtmlEditor: htmlPage->insertPlaceholder(placeholder); break;
    case InsertTarget::None: break;
    }
}

bool TNewMod2MessageForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Memo1 && event->type() == QEvent::FocusIn)
        Memo1Enter();
    else if (watched == Memo1 && event->type() == QEvent::FocusOut
             && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
        Memo1Exit();
    else if (watched == SubjectEdt)
        return dropOnSubject(event) || QWidget::eventFilter(watched, event);
    else if (watched == Memo1->viewport())
        return dropOnPlainEditor(event) || QWidget::eventFilter(watched, event);
    return QWidget::eventFilter(watched, event);
}

// The subject takes a column dragged from the grid: the caret goes to the drop point, 5 pixels a character.
bool TNewMod2MessageForm::dropOnSubject(QEvent* event)
{
    const std::optional<QString> placeholder = acceptPlaceholderDrag(event, PlaceholderSource::ListGrid);
    if (!placeholder)
        return false;
    if (event->type() == QEvent::Drop) {
        const int x = static_cast<QDropEvent*>(event)->position().toPoint().x();
        SubjectEdt->setCursorPosition(SubjectDropPosition(x, int(SubjectEdt->text().size())));
        SubjectEdt->insert(*placeholder);
    }
    return true;
}

// The plain editor takes the merge-field chooser's placeholder: line y / 14, character x / 4 of the drop.
bool TNewMod2MessageForm::dropOnPlainEditor(QEvent* event)
{
    const std::optional<QString> placeholder = acceptPlaceholderDrag(event, PlaceholderSource::MergeChooser);
    if (!placeholder)
        return false;
    if (event->type() == QEvent::Drop) {
        QStringList lines = Memo1->toPlainText().split(QLatin1Char('\n'));
        const QPoint at = static_cast<QDropEvent*>(event)->position().toPoint();
        InsertAtDropPoint(lines, at.x(), at.y(), *placeholder);
        QTextCursor all(Memo1->document());
        all.select(QTextCursor::Document);
        all.insertText(lines.join(QLatin1Char('\n')));   // one undo step
    }
    return true;
}

// ---- the plain editor's edit state ----

void TNewMod2MessageForm::Memo1Enter()
{
    Memo1->setReadOnly(false);
    sendEditState();
}

void TNewMod2MessageForm::Memo1Exit()
{
    Memo1->setReadOnly(true);
    WindowMessage::post(this, WM_EDITSTATE, 0);
}

void TNewMod2MessageForm::sendEditState()
{
    WindowMessage::send(this, WM_EDITSTATE, EditMask(Memo1));
}

// ---- attachments, sending, saving ----

void TNewMod2MessageForm::SpeedButton4Click()
{
    if (!AttachmentExecute())
        return;
    setModified(true);
    WindowMessage::post(this, WM_ATTACHFILE);
}

QStringList TNewMod2MessageForm::attachmentPaths() const
{
    QStringList paths;
    for (int i = 0; i < AttachmentsLB->count(); ++i)
        paths << AttachmentsLB->itemData(i, AttachmentItemDelegate::PathRole).toString();
    return paths;
}

bool TNewMod2MessageForm::SaveProject(bool saveAs)
{
    ProjectContent content;
    content.subject = SubjectEdt->text();
    content.column = ComboBox3->currentIndex();
    content.columnA = cbAtt->currentIndex();
    content.attachmentPaths = attachmentPaths();
    content.list = &m_grid;
    content.keepListFile = m_listUnread;
    content.plainBody = Memo1->toPlainText();
    content.htmlModified = htmlBodyModified();
    content.writeHtmlBody = [this](const QString& fileName, QString*) { return htmlPage->SaveHtmlSource(fileName); };
    ProjectEditorState state{IsNew, modified()};
    const bool saved = SaveMailProject(saveAs, content, state, msl->items(),
                                       [this](const QString& title, const QString& fileName) -> std::optional<QString> {
        QFileDialog dialog(this, title);
        dialog.setObjectName(QStringLiteral("SaveProjectDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters({tr("Eml (*.eml)"), tr("All (*)")});
        dialog.selectFile(fileName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().constFirst();
    });
    IsNew = state.isNew;
    setModified(state.modified);
    setWindowTitle(caption());
    return saved;
}

void TNewMod2MessageForm::SpeedButton8Click()
{
    if (!SaveProject(false))
        return;
    CleanEmailColumn(m_grid, ComboBox3->currentIndex());
    QStringList columnTitles;
    for (int i = 0; i < ComboBox2->count(); ++i)
        columnTitles << ComboBox2->itemText(i);
    ShowSendWindow(&m_grid, columnTitles);
    postRecordCount();
}

// ---- closing ----

void TNewMod2MessageForm::ExplorerButton1Click()
{
    closeWindow();
}

void TNewMod2MessageForm::closeWindow()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

bool TNewMod2MessageForm::FormCloseQuery()
{
    if (m_listLoader.busy())
        return false;
    if (htmlPage->HtmlEdited())
        setModified(true);   // edits of the HTML source count as changes of the project
    CloseQuestion question;
    question.ask = [this] {
        return messageBox(this, msl->text(MsgSaveChanges), msl->text(MsgConfirm), MB_YESNOCANCEL | MB_ICONQUESTION);
    };
    question.save = [this] { return SaveProject(false); };
    return EditorMayClose(modified(), ProjectIniInfo.OptionsChanged, question);
}

// Every sending window is asked to close; false when one of them refuses.
bool TNewMod2MessageForm::closeSendingWindows()
{
    return WindowHost::closeChildrenOfClass(sendingWindowClassName);
}

void TNewMod2MessageForm::closeEvent(QCloseEvent* event)
{
    if (isCloseQueryOnly(event)) {
        event->setAccepted(FormCloseQuery());
        return;
    }
    if (m_closed || isCloseAtExit(event)) {   // at exit the question was answered already
        if (!m_closed)
            FormClose();
        event->accept();
        return;
    }
    if (!FormCloseQuery() || !closeSendingWindows()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void TNewMod2MessageForm::FormClose()
{
    m_closed = true;
    if (!IsNew) {
        const QString projectFile = ProjectFilePath(projectExtension);
        WindowMessage::send(WindowHost::mainWindow(), WM_TOOLCOMMAND, RequestAddToReopenList,
                            reinterpret_cast<qintptr>(&projectFile));
    }
    if (NewMod2MessageForm == this)
        NewMod2MessageForm = nullptr;
    WindowMessage::post(WindowHost::mainWindow(), WM_UPDATEMENUS);
}

// ---- OpenProject's hooks ----

namespace {

QMdiSubWindow* editorSubWindow()
{
    return NewMod2MessageForm ? qobject_cast<QMdiSubWindow*>(NewMod2MessageForm->parentWidget()) : nullptr;
}

bool createEditor(bool isNew)
{
    auto* editor = new TNewMod2MessageForm;
    editor->IsNew = isNew;
    if (QMdiArea* area = WindowHost::mdiArea()) {
        QMdiSubWindow* sub = area->addSubWindow(editor);
        // Never squeezed below its editing areas' least height: the MDI area scrolls a larger editor.
        if (QLayout* frame = sub->layout())
            frame->setSizeConstraint(QLayout::SetMinimumSize);
        QObject::connect(sub, &QMdiSubWindow::aboutToActivate, editor, [editor] {
            WindowMessage::post(WindowHost::mainWindow(), WM_UPDATEMENUS);
            editor->postImportHtmlMenuState();   // after the menu state, which disables it
        });
        WindowHost::requestTranslation(editor);
        sub->showMaximized();
    } else {
        editor->show();
    }
    editor->pcl->setCurrentWidget(editor->tsMsg);
    return true;
}

}  // namespace

void InstallProjectEditor()
{
    ProjectEditorHooks hooks;
    hooks.isOpen = [] { return NewMod2MessageForm != nullptr; };
    hooks.askToClose = [] { NewMod2MessageForm->ExplorerButton1Click(); };
    hooks.bringToFront = [] {
        if (QMdiSubWindow* sub = editorSubWindow(); sub && WindowHost::mdiArea())
            WindowHost::mdiArea()->setActiveSubWindow(sub);
    };
    hooks.create = createEditor;
    hooks.fillFromProject = [](bool) { NewMod2MessageForm->FillFromProject(); };
    SetProjectEditorHooks(std::move(hooks));
}
