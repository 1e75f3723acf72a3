#pragma once

#include <QMainWindow>

namespace vamo {

// Placeholder until the main window's form arrives.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
};

} // namespace vamo
