#pragma once

#include "site-downloader/media/sortbins/FileSortBin.h"

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Records what a bin tells its delegate.
struct RecordingBinDelegate final : FileSortBinDelegate {
    void filesDropped(QObject *sender, const QStringList &filePaths) override { drops.emplace_back(sender, filePaths); }
    void fileLocationChanged(FileSortBin *bin, const QString &originalPath, const QString &newPath) override
    {
        moves.push_back({bin, originalPath, newPath});
    }

    struct Move {
        FileSortBin *bin;
        QString originalPath;
        QString newPath;
    };
    std::vector<std::pair<QObject *, QStringList>> drops;
    std::vector<Move> moves;
};
