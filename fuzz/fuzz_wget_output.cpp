// Feeds arbitrary bytes, cut into lines, through the output grammar and the helper's
// interpretation of every event a line can raise.
#include "site-downloader/wget/WgetEngineHelper.h"
#include "site-downloader/wget/WgetOutputLine.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class CountingDelegate final : public WgetEngineHelperDelegate
{
public:
    void wgetVerboseLog(WgetEngineHelper *, const QString &text) override { characters += text.size(); }
    void wgetFileSaved(WgetEngineHelper *, const QString &path, const std::optional<QString> &) override
    {
        characters += path.size();
    }
    qsizetype characters = 0;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication application(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    CountingDelegate delegate;
    WgetEngineHelper helper;
    helper.setDelegate(&delegate);
    WgetEngine engine;
    std::string text(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        engine.lineStart = line.c_str();
        engine.lineEnd = line.c_str() + line.size();
        const std::string_view view(line);
        WgetOutputLine::isProgressLine(view);
        WgetOutputLine::announcedLength(view);
        WgetOutputLine::percentDone(view);
        for (int32_t event : {kWgetEventLine, kWgetEventConnected, kWgetEventURL, kWgetEventProgress, kWgetEventSaved})
            WgetEngineCallBack(event, &engine, &helper);
        start = end + 1;
    }
    return 0;
}
