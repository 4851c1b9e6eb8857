#include "support/DesktopServices.h"

#include "platform/RevealInFileManager.h"

#include <QApplication>

void InstallDesktopServices()
{
    RevealServices services;
    services.beep = [] { QApplication::beep(); };
    SetRevealServices(services);
}
