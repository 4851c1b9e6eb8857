#include "platform/ProxySettings.h"

#include <cstdlib>
#include <initializer_list>

namespace {

std::string firstSetVariable(std::initializer_list<const char *> names)
{
    for (const char *name : names) {
        const char *value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

} // namespace

ProxySettings ReadProxySettings()
{
    ProxySettings settings;
    settings.httpProxy = firstSetVariable({"http_proxy"});
    settings.httpsProxy = firstSetVariable({"https_proxy", "HTTPS_PROXY"});
    settings.noProxy = firstSetVariable({"no_proxy", "NO_PROXY"});
    return settings;
}

const std::string &ProxyForScheme(const ProxySettings &settings, const std::string &scheme)
{
    static const std::string none;
    if (scheme == "https")
        return settings.httpsProxy;
    if (scheme == "http")
        return settings.httpProxy;
    return none;
}
