#pragma once

#include <QString>
#include <QTemporaryFile>
#include <memory>

// A private wget startup file that carries the user name and password, so they never appear on
// the command line (where any local user can read them). It starts with copies of the system's
// and the user's own startup files, because wget reads only this one when it is given.
// Readable by its owner only; removed when the object goes.
class WgetStartupFile final
{
public:
    // A sentence that says why wget could not be given these credentials as they are, or an
    // empty string. wget trims values and ends them at a line break.
    static QString problemWithCredentials(const QString &username, const QString &password);

    static std::unique_ptr<WgetStartupFile> create(const QString &username, const QString &password,
                                                   QString *problem);

    QString path() const { return _file.fileName(); }

private:
    WgetStartupFile() = default;
    QTemporaryFile _file;
};
