// The project editor's "WYSIWYG HTML Editor" page: the toolbar pnlWBtools (each control runs the command of
// its Tag) over the engine view WB (html_view.h). It loads the project's ".htm" or builds the page from the
// plain body on its first showing, imports HTML files with their pictures (local ones copied, data: ones
// written out, web ones fetched under a progress window), saves the page's source and opens the preview in
// the default browser. The editor (message_form.h) owns it and gets tool codes 5 and 6 posted
// when a page has loaded; every command that changes the page emits projectModified, a cancelled dialog none.
#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class HtmlView;
class QBoxLayout;
class QComboBox;
class QLabel;
class QToolButton;
class TFontComboBox;
class TGoToWeb;

class HtmlEditorPage : public QWidget {
    Q_OBJECT

public:
    // editor: the window that gets WM_TOOLCOMMAND 5 and 6 when a page has loaded.
    explicit HtmlEditorPage(QWidget* editor, QWidget* parent = nullptr);

    enum ToolbarTag {
        TagOpen = 1, TagBold = 3, TagItalic, TagUnderline, TagFontColour, TagLeft, TagCenter, TagRight,
        TagOutdent, TagIndent, TagImage, TagLink, TagTable, TagBackground, TagFontName, TagFontSize, TagPreview,
    };

    QWidget* pnlWBtools;
    QToolButton* sbOpen;
    TFontComboBox* cbFontName;
    QComboBox* cbFontSize;
    TGoToWeb* GoToWeb1;

    // WB, made with the first page (the engine's module is loaded only when an HTML body is shown); null until
    // then, and while the module cannot be had.
    HtmlView* view() const { return m_view; }

    // A project was filled in: HtmlShown, ImportPending and DocumentReady are cleared.
    void resetForProject();
    // The first showing for this project: the ".htm" file, else plainBody as the page's text, line by line
    // (or "Enter ... ").
    void showFirstTime(const QString& plainBody);
    bool HtmlShown() const { return m_shown; }
    bool DocumentReady() const;

    bool HtmlModified();
    // Changed by the user since it was loaded or saved; a missing ".htm" alone is no change.
    bool HtmlEdited();
    // The page's source into fileName; "Fail to save HTML source : <file>" and the reason when it cannot be had or
    // written. A page that never loaded writes nothing and counts as saved.
    bool SaveHtmlSource(const QString& fileName);
    // The file or address path copied (a web address fetched) into the picture folder; path := the copy on
    // success. A web picture that cannot be fetched is named with its reason.
    bool CopyImageToProject(QString& path);

    void ToolbarCommand(int tag);
    void ImportLoaded();    // tool code 5
    void PageLoaded();      // tool code 6
    bool OpenCommand();     // tool code 7 and sbOpen; false when no file was chosen
    // A merge placeholder at the selection (Insert and the chooser's drop); nothing until a page is ready.
    void insertPlaceholder(const QString& placeholder);
    void focusPage();

    // Dialog answers that tests give in place of the user.
    struct Choosers {
        std::function<QString(QWidget* parent)> htmlFile;      // odHtml: empty when cancelled
        std::function<QString(QWidget* parent)> pictureFile;   // pictOD: empty when cancelled
        std::function<bool(QString& address)> linkAddress;     // InputFormExecute for a link
        std::function<std::optional<QString>(QWidget* parent)> table;   // T_Tables
    };
    void setChoosers(Choosers choosers);

signals:
    void projectModified();

private:
    void buildToolbar();
    QToolButton* addToolButton(QBoxLayout* row, const char* name, const QString& caption, const QString& hint, int tag);
    HtmlView* ensureView();
    void putInPagePlace(QWidget* widget);
    void showEngineMissing(const QString& error);
    void documentCompleted();
    void showLoadFailure(const QString& reason);
    void followCaret();
    bool runCommand(int tag);
    bool chooseColourCommand(bool background);
    bool insertPicture();
    bool insertLink();
    bool insertTable();
    void preview();
    QString pictureFolder() const;
    int pictureTimeoutMs() const;   // the project's time-out, for each web picture

    QWidget* m_editor;
    HtmlView* m_view = nullptr;
    QLabel* m_engineMissing = nullptr;   // in WB's place when the engine's module cannot be had
    Choosers m_choosers;
    bool m_shown = false;           // HtmlShown
    bool m_importPending = false;   // ImportPending
};
