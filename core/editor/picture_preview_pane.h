// The preview pane of the picture dialog: the chosen file's picture scaled to fit its box, and under it the
// size in pixels or why there is no picture (picture_preview.h).
#pragma once

#include <QWidget>

class QLabel;

class PicturePreviewPane : public QWidget {
    Q_OBJECT

public:
    static constexpr int BoxSide = 220;

    explicit PicturePreviewPane(QWidget* parent = nullptr);

    // Shows the file's picture; an empty path or a folder clears the pane.
    void showFile(const QString& path);

    QLabel* picture() const { return m_picture; }
    QLabel* caption() const { return m_caption; }

private:
    QLabel* m_picture;
    QLabel* m_caption;
};
