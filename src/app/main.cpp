#include "windows/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vamobook"));
    vamo::MainWindow w;
    w.show();
    return QApplication::exec();
}
