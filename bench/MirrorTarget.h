#pragma once

#include "bench/PlainWgetComparison.h"
#include "tests/fixtures/NginxServer.h"

#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// What a mirror benchmark mirrors: the site its arguments name (URL OUTPUT_FOLDER), or a
// generated site served by a loopback nginx (--pages N). Both take --rounds N.
struct MirrorTarget {
    PlainWgetComparison comparison;
    QTemporaryDir scratch;
    std::unique_ptr<NginxServer> server;
    int pageCount = 2000;
    int filesServed = 0;
};

// Fills `target` from the program's arguments. 0 when the target is ready, 1 for arguments
// that make no sense (the caller prints its usage), 2 when the generated site cannot be served.
int PrepareMirrorTarget(const QStringList &arguments, MirrorTarget *target);

// The generated site's figures, when one was served.
void AddMirrorTargetFigures(const MirrorTarget &target, QJsonObject *figures);
