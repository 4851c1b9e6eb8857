// Feeds arbitrary bytes to the document loader of the download options. Besides crashes it
// checks that whatever the loader accepts is written back in a form it accepts again, unchanged.
#include "platform/LocalizedString.h"
#include "site-downloader/wget/WgetEnginePreferences.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // The problem texts are looked up for every refused input; without the texts each lookup
    // would print a warning about a missing argument.
    static QCoreApplication application(*argc, *argv);
    InstallTranslations(QStringLiteral("vellicor"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char *>(bytes), static_cast<qsizetype>(size));
    WgetEnginePreferences loaded;
    QString problem;
    if (!loaded.setValuesFromDataRepresentation(data, &problem)) {
        if (problem.isEmpty())
            std::abort();
        return 0;
    }

    const QByteArray written = loaded.getValuesAsDataRepresentation();
    WgetEnginePreferences reloaded;
    if (!reloaded.setValuesFromDataRepresentation(written))
        std::abort();
    if (reloaded.getValuesAsDictionary() != loaded.getValuesAsDictionary())
        std::abort();
    return 0;
}
