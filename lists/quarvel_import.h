// T_Quarvel ("Import addressbook from Trellion"): the window that copies one address book of the sibling mail
// client into the project's list grid. A place box and a folder tree choose the folder; the book tree tlBox shows
// "Default" and the books of that folder's list; Import copies the chosen book (model: address_book_import.h)
// under the progress window, whose Stop keeps the rows written so far. QuarvelImportExecute runs it modally and
// answers whether rows were imported; registerAddressBookImportTool makes it tool code 0.
#pragma once

#include "core/dialogs/folder_places.h"

#include <QDialog>
#include <QList>

class QComboBox;
class QFileSystemModel;
class QToolButton;
class QTreeView;
class StringGrid;
class TExplorerButton;
class TMsgLanguage;
class TTreeList;

class T_Quarvel : public QDialog {
    Q_OBJECT

public:
    explicit T_Quarvel(QWidget* parent = nullptr);

    TMsgLanguage* msl;
    QComboBox* cbDriver;     // places; each item's data is its folder
    QTreeView* lbdir;        // the folders of the chosen place
    TTreeList* tlBox;        // "Default", then the books; each node's data is the book id
    QToolButton* bbImport;
    TExplorerButton* bbClose;
    bool Imported = false;   // rows were imported

    // The grid the import writes into (not owned).
    void setTargetGrid(StringGrid* grid) { m_grid = grid; }
    // The delimiter of the target list, which imported cells are flattened for.
    void setListDelimiter(const QString& delimiter) { m_listDelimiter = delimiter; }
    // Shows folder: its place, the folder in the tree, its books.
    void setFolder(const QString& folder);
    QString folder() const { return m_folder; }

    void FormCreate();
    void cbDriverChange();
    void lbdirChange();
    void bbImport2Click();
    void bbCloseClick();

private:
    bool readBookList();
    void showPlace(const QString& place);

    QFileSystemModel* m_folders;
    QList<FolderPlace> m_places;
    QString m_folder;
    StringGrid* m_grid = nullptr;
    QString m_listDelimiter = QStringLiteral(";");
    bool m_importing = false;
};

// Runs the window modally on grid; true when at least one row was imported.
bool QuarvelImportExecute(QWidget* parent, StringGrid& grid, const QString& listDelimiter = QStringLiteral(";"));

void registerAddressBookImportTool();
