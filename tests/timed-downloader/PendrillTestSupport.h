#pragma once

#include "tests/fixtures/NginxServer.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// Pendrill's texts for every test program here, and, when the program ends, the fetch threads
// given up before Qt goes.
void InstallPendrillTestEnvironment();

// A small PNG, so that saved copies decode as pictures.
QByteArray PictureBytes(int width = 320, int height = 240);

// A loopback nginx over a folder holding cam.jpg (a PNG, whatever the name says), page.html and
// a redirect from /moved to /cam.jpg.
class PendrillSite final
{
public:
    PendrillSite();
    bool start();
    QString url(const QString &path) const { return _server->url(path); }
    QString root() const { return _root.path(); }

private:
    QTemporaryDir _root;
    std::unique_ptr<NginxServer> _server;
};

// Regular files in `folder` (no hidden ones), sorted.
QStringList VisibleFiles(const QString &folder);
