// The address-book import window: see quarvel_import.h.

#include "lists/quarvel_import.h"

#include "controls/explorer_button.h"
#include "controls/tree_list.h"
#include "core/language/language_properties.h"
#include "core/language/msg_language.h"
#include "core/dialogs/progress_window.h"
#include "core/base/text_helpers.h"
#include "core/base/widget_factory.h"
#include "core/base/window_host.h"
#include "core/base/tool_commands.h"
#include "lists/address_book_import.h"
#include "lists/tool_widgets.h"
#include "platform/widgets/message_box.h"
#include "platform/string_grid.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QProgressBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

enum QuarvelMessage { MsgDefault = 0, MsgAttention = 1, MsgLoading = 2, MsgImporting = 3, MsgCellsFlattened = 4 };

// How often the import lets the progress window answer (Stop, repaint).
constexpr qint64 kPumpIntervalMilliseconds = 5;

// The folder the window starts at: the current folder, else the home folder.
QString startFolder()
{
    const QString current = QDir::currentPath();
    return QDir(current).isReadable() ? current : QDir::homePath();
}

}  // namespace

T_Quarvel::T_Quarvel(QWidget* parent)
    : QDialog(parent),
      msl(new TMsgLanguage(this, {QStringLiteral("Default"), QStringLiteral("Attention"), QStringLiteral("Loading"),
                                  QStringLiteral("Importing"), QString::fromLatin1(FlattenedCellsImportedText)})),
      cbDriver(makeDropDown(this, "cbDriver")),
      lbdir(named(new QTreeView(this), "lbdir")),
      tlBox(named(new TTreeList(this), "tlBox")),
      bbImport(makeToolButton(this, "bbImport", QStringLiteral("import"))),
      bbClose(named(new TExplorerButton(this), "bbClose")),
      m_folders(new QFileSystemModel(this))
{
    setObjectName(QStringLiteral("_Quarvel"));
    setWindowTitle(QStringLiteral("Import addressbook from Trellion"));
    msl->setObjectName(QStringLiteral("msl"));
    bbClose->setCaption(QStringLiteral("Close"));
    keepOutOfLanguageFiles(cbDriver);   // its lines are places, not texts to translate
    cbDriver->setAccessibleName(tr("Drives"));   // no label beside it: screen readers read this name

    m_folders->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    m_folders->setRootPath(QStringLiteral("/"));
    lbdir->setModel(m_folders);
    for (int column = 1; column < m_folders->columnCount(); ++column)
        lbdir->hideColumn(column);
    lbdir->header()->hide();
    tlBox->setColumns({{QStringLiteral("Mailing List Name / Address Book"), 300}});
    tlBox->setSeparator(QStringLiteral(";"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbImport);
    buttons->addWidget(bbClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(cbDriver);
    layout->addWidget(lbdir, 1);
    layout->addWidget(tlBox, 1);
    layout->addLayout(buttons);
    resize(420, 480);

    FormCreate();
}

void T_Quarvel::FormCreate()
{
    m_places = folderPlaces();
    for (const FolderPlace& place : std::as_const(m_places))
        cbDriver->addItem(place.label, place.path);
    connect(cbDriver, &QComboBox::activated, this, &T_Quarvel::cbDriverChange);
    connect(lbdir->selectionModel(), &QItemSelectionModel::currentChanged, this, &T_Quarvel::lbdirChange);
    connect(bbImport, &QToolButton::clicked, this, &T_Quarvel::bbImport2Click);
    connect(bbClose, &TExplorerButton::clicked, this, &T_Quarvel::bbCloseClick);
    setFolder(startFolder());
    WindowHost::requestTranslation(this);
}

void T_Quarvel::setFolder(const QString& folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    const int place = placeOfFolder(m_places, clean);
    cbDriver->setCurrentIndex(place);
    showPlace(m_places.value(place).path);
    const QModelIndex index = m_folders->index(clean);
    if (index.isValid() && lbdir->currentIndex() != index) {
        lbdir->setCurrentIndex(index);   // lbdirChange follows
        lbdir->scrollTo(index);
    } else {
        m_folder = clean;
        bbImport->setEnabled(readBookList());
    }
}

void T_Quarvel::showPlace(const QString& place)
{
    lbdir->setRootIndex(m_folders->index(place.isEmpty() ? QStringLiteral("/") : place));
}

void T_Quarvel::cbDriverChange()
{
    setFolder(cbDriver->currentData().toString());
}

void T_Quarvel::lbdirChange()
{
    const QModelIndex current = lbdir->currentIndex();
    if (!current.isValid())
        return;
    m_folder = m_folders->filePath(current);
    bbImport->setEnabled(readBookList());
}

// The books of the folder's list, "Default" first; false when the folder has no list that reads.
bool T_Quarvel::readBookList()
{
    tlBox->setUpdatesEnabled(false);
    tlBox->clear();
    const std::optional<QList<BookEntry>> books = readBookEntries(m_folder);
    if (books) {
        tlBox->addNode(msl->text(MsgDefault), 0);
        for (const BookEntry& book : *books)
            tlBox->addNode(book.name, book.id);
        tlBox->setCurrentItem(tlBox->topLevelItem(0));
    }
    tlBox->setUpdatesEnabled(true);
    return tlBox->currentItem() != nullptr;
}

void T_Quarvel::bbImport2Click()
{
    QTreeWidgetItem* node = tlBox->currentItem();
    if (!node || !m_grid || m_importing)
        return;
    m_importing = true;
    setEnabled(false);   // the import pumps events: nothing here may start another or close the window
    TProgAddress* progress = CreateProgressWindow();
    progress->setWindowTitle(msl->text(MsgImporting) + QStringLiteral(".."));
    QElapsedTimer sincePump;
    sincePump.start();
    const int bookId = TTreeList::nodeData(node).toInt();
    const BookImportResult result = importAddressBook(*m_grid, m_folder, bookId, [&](int written, int lines) {
        progress->Gauge1->setRange(0, std::max(lines, 1));
        progress->Gauge1->setValue(std::min(written, progress->Gauge1->maximum()));
        if (written == 0 || sincePump.elapsed() >= kPumpIntervalMilliseconds) {
            QCoreApplication::processEvents();
            sincePump.restart();
        }
        return !progress->Stopped;
    }, m_listDelimiter);
    CloseProgressWindow(progress);
    setEnabled(true);
    m_importing = false;
    if (result.rowsWritten > 0)
        Imported = true;
    if (!result.readError.isEmpty())
        ShowMessageBox(result.bookFile + QStringLiteral(" : ") + result.readError,
                       msl->text(MsgAttention), MB_OK | MB_ICONWARNING);
    reportFlattenedCells(result.cellsChanged, msl->text(MsgCellsFlattened), msl->text(MsgAttention));
}

void T_Quarvel::bbCloseClick()
{
    if (!m_importing)
        accept();
}

bool QuarvelImportExecute(QWidget* parent, StringGrid& grid, const QString& listDelimiter)
{
    T_Quarvel window(parent ? parent : WindowHost::mainWindow());
    window.setTargetGrid(&grid);
    window.setListDelimiter(listDelimiter);
    window.exec();
    return window.Imported;
}

void registerAddressBookImportTool()
{
    setToolFunction(ToolImportAddressBook, [](ToolRequest& request) {
        return request.listGrid && QuarvelImportExecute(request.parent, *request.listGrid, listDelimiterOf(request));
    });
}
