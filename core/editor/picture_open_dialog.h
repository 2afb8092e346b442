// pictOD, the picture dialog of the HTML page: a file dialog of the picture types (every type at once, then
// one entry per type) with a preview pane beside the file list. Besides a file, the name field takes an http
// or https address, which the caller fetches into the project like a file.
#pragma once

#include <QFileDialog>

class PicturePreviewPane;

class PictureOpenDialog : public QFileDialog {
    Q_OBJECT

public:
    PictureOpenDialog(QWidget* parent, const QString& folder);

    static QStringList pictureFilters();
    // The chosen file or address; empty when cancelled.
    static QString choosePicture(QWidget* parent, const QString& folder);

    QString chosen() const;
    PicturePreviewPane* preview() const { return m_preview; }

    void accept() override;

private:
    void nameDropDowns();

    PicturePreviewPane* m_preview;
    QString m_address;   // a typed web address, in place of a file
};
