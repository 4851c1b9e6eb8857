#include "support/OwnedWindow.h"

#include <QWidget>

void ShowOwnedWindow(QWidget *window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
}
