// The yardstick of bench_startup: the smallest Qt Widgets program with a main window, maximised as the program's
// is, linking Qt Widgets only.

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setObjectName(QStringLiteral("MainForm"));
    window.setWindowTitle(QStringLiteral("Minimal"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    window.setCentralWidget(new QLabel(QStringLiteral("A minimal Qt window")));
    window.showMaximized();
    return app.exec();
}
