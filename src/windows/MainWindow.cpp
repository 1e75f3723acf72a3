#include "windows/MainWindow.h"

#include "model/Site.h"

namespace vamo {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(site::windowTitle());
}

} // namespace vamo
