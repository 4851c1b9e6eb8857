#include "site-downloader/app/VellicorMainWindow.h"

#include "platform/LocalizedString.h"
#include "platform/ResourceFolder.h"
#include "ui_VellicorMainWindow.h"

VellicorMainWindow::VellicorMainWindow(QWidget *parent) : QMainWindow(parent), _ui(new Ui::VellicorMainWindow)
{
    _ui->setupUi(this);
    setWindowTitle(LocalizedString("kApplicationName"));
    _ui->_textFieldWelcome->setText(LocalizedString("kWelcomeMessage"));
    const QString wget = ResourcePath(QStringLiteral("wget"));
    _ui->_textFieldWgetStatus->setText(wget.isEmpty() ? LocalizedString("kWgetMissingMessage")
                                                      : LocalizedString("kWgetFoundMessage").replace(QLatin1String("%@"), wget));
    _ui->_buttonQuit->setText(LocalizedString("kQuitButtonTitle"));
    connect(_ui->_buttonQuit, &QPushButton::clicked, this, &QWidget::close);
}

VellicorMainWindow::~VellicorMainWindow() = default;
