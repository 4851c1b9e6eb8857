#include "timed-downloader/app/PendrillMainWindow.h"

#include "platform/LocalizedString.h"
#include "ui_PendrillMainWindow.h"

PendrillMainWindow::PendrillMainWindow(QWidget *parent) : QMainWindow(parent), _ui(new Ui::PendrillMainWindow)
{
    _ui->setupUi(this);
    setWindowTitle(LocalizedString("kApplicationName"));
    _ui->_textFieldWelcome->setText(LocalizedString("kWelcomeMessage"));
    _ui->_buttonQuit->setText(LocalizedString("kQuitButtonTitle"));
    connect(_ui->_buttonQuit, &QPushButton::clicked, this, &QWidget::close);
}

PendrillMainWindow::~PendrillMainWindow() = default;
