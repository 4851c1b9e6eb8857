#pragma once

#include <string>

// The proxies of this session, as the desktop passes them to programs: the http_proxy,
// https_proxy and no_proxy environment variables. The upper-case HTTP_PROXY is ignored on
// purpose: a CGI environment sets it from a request's "Proxy:" header.
struct ProxySettings {
    std::string httpProxy;   // for http addresses; empty when none
    std::string httpsProxy;  // for https addresses; empty when none
    std::string noProxy;     // comma-separated hosts and domains that go direct
};

ProxySettings ReadProxySettings();

// The proxy for an address with `scheme` ("http" or "https"); empty when it goes direct.
const std::string &ProxyForScheme(const ProxySettings &settings, const std::string &scheme);
