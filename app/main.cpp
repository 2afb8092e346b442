// Sorvanta's entry point: start-up and shut-down order.

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Sorvanta");
    return 0;
}
