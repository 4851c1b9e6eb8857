#include "bench/MirrorTarget.h"

#include <cstdio>

int PrepareMirrorTarget(const QStringList &arguments, MirrorTarget *target)
{
    QStringList positional;
    for (qsizetype index = 0; index < arguments.size(); ++index) {
        const QString &argument = arguments[index];
        bool ok = true;
        if (argument == QLatin1String("--rounds") && index + 1 < arguments.size())
            target->comparison.rounds = arguments[++index].toInt(&ok);
        else if (argument == QLatin1String("--pages") && index + 1 < arguments.size())
            target->pageCount = arguments[++index].toInt(&ok);
        else if (argument.startsWith(QLatin1String("--")))
            return 1;
        else
            positional << argument;
        if (!ok || target->comparison.rounds < 1 || target->pageCount < 1)
            return 1;
    }
    if (positional.size() == 2) {
        target->comparison.url = positional[0];
        target->comparison.outputFolder = positional[1];
        return 0;
    }
    if (!positional.isEmpty())
        return 1;
    if (!target->scratch.isValid())
        return 2;
    const QString root = target->scratch.filePath(QStringLiteral("site"));
    target->filesServed = GeneratedSite::write(root, target->pageCount);
    target->server = std::make_unique<NginxServer>(root);
    QString problem;
    if (!target->server->start(&problem)) {
        std::fprintf(stderr, "nginx: %s\n", qPrintable(problem));
        return 2;
    }
    target->comparison.url = target->server->url();
    target->comparison.outputFolder = target->scratch.filePath(QStringLiteral("output"));
    return 0;
}

void AddMirrorTargetFigures(const MirrorTarget &target, QJsonObject *figures)
{
    if (!target.server)
        return;
    (*figures)[QStringLiteral("pages")] = target.pageCount;
    (*figures)[QStringLiteral("files_served")] = target.filesServed;
}
