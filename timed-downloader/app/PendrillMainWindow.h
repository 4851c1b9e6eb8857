#pragma once

#include <QMainWindow>
#include <memory>

namespace Ui {
class PendrillMainWindow;
}

// The first window of the program, until the timed download document takes its place.
class PendrillMainWindow final : public QMainWindow
{
    Q_OBJECT

public:
    explicit PendrillMainWindow(QWidget *parent = nullptr);
    ~PendrillMainWindow() override;

private:
    std::unique_ptr<Ui::PendrillMainWindow> _ui;
};
