// Runs one move or copy in its own process, so a test can run it as another user and see what a
// user without write access gets. Prints the status and the new path.
#include "platform/SafeFileMove.h"

#include <QString>
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "move") != 0 && std::strcmp(argv[1], "copy") != 0)) {
        std::fprintf(stderr, "usage: %s move|copy SOURCE FOLDER\n", argv[0]);
        return 2;
    }
    QString newPath;
    const QString source = QString::fromLocal8Bit(argv[2]);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    const Status status = std::strcmp(argv[1], "move") == 0 ? SafeMoveItemIntoFolder(source, folder, &newPath)
                                                             : SafeCopyItemIntoFolder(source, folder, &newPath);
    std::printf("%d %s\n", status, newPath.toLocal8Bit().constData());
    return 0;
}
