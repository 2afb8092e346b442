// The picture dialog with its preview: see picture_open_dialog.h.

#include "core/editor/picture_open_dialog.h"

#include "core/editor/picture_preview_pane.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include <utility>

namespace {

bool isWebAddress(const QString& text)
{
    return text.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        || text.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

}  // namespace

PictureOpenDialog::PictureOpenDialog(QWidget* parent, const QString& folder)
    : QFileDialog(parent), m_preview(new PicturePreviewPane)
{
    setObjectName(QStringLiteral("pictOD"));
    setOption(QFileDialog::DontUseNativeDialog);   // the pane lives in Qt's own dialog
    setFileMode(QFileDialog::ExistingFile);
    setNameFilters(pictureFilters());
    setDirectory(folder);
    // Qt's dialog lays itself out in one grid: the pane takes a column of its own on the right.
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(m_preview, 0, grid->columnCount(), grid->rowCount(), 1, Qt::AlignTop);
    connect(this, &QFileDialog::currentChanged, m_preview, &PicturePreviewPane::showFile);
    nameDropDowns();
}

// Qt's dialog captions its folder and type drop-downs with labels that are not their buddies, so screen
// readers would announce them without a name.
void PictureOpenDialog::nameDropDowns()
{
    const std::pair<const char*, const char*> captioned[] = {{"lookInLabel", "lookInCombo"},
                                                             {"fileTypeLabel", "fileTypeCombo"}};
    for (const auto& [label, field] : captioned) {
        auto* caption = findChild<QLabel*>(QLatin1String(label));
        auto* dropDown = findChild<QComboBox*>(QLatin1String(field));
        if (caption && dropDown)
            caption->setBuddy(dropDown);
    }
}

QStringList PictureOpenDialog::pictureFilters()
{
    return {QStringLiteral("All (*.gif *.jpg *.jpeg *.bmp *.ico *.emf *.wmf *.png)"), QStringLiteral("GIF (*.gif)"),
            QStringLiteral("JPEG (*.jpg *.jpeg)"), QStringLiteral("Bitmap (*.bmp)"), QStringLiteral("Icon (*.ico)"),
            QStringLiteral("Enhanced Metafile (*.emf)"), QStringLiteral("Metafile (*.wmf)"),
            QStringLiteral("PNG (*.png)")};
}

void PictureOpenDialog::accept()
{
    const auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString typed = name ? name->text().trimmed() : QString();
    if (isWebAddress(typed)) {
        m_address = typed;
        QDialog::accept();   // Qt's own accept would look for a file of that name
        return;
    }
    m_address.clear();
    QFileDialog::accept();
}

QString PictureOpenDialog::chosen() const
{
    if (!m_address.isEmpty())
        return m_address;
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.constFirst();
}

QString PictureOpenDialog::choosePicture(QWidget* parent, const QString& folder)
{
    PictureOpenDialog dialog(parent, folder);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : QString();
}
