#pragma once

#include <QMainWindow>
#include <memory>

namespace Ui {
class VellicorMainWindow;
}

// The first window of the program, until the download document takes its place: it says what
// the program can do so far and checks that the wget it will drive is in place.
class VellicorMainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit VellicorMainWindow(QWidget *parent = nullptr);
    ~VellicorMainWindow() override;

private:
    std::unique_ptr<Ui::VellicorMainWindow> _ui;
};
