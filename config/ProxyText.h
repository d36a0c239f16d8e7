#pragma once
// The proxy setting SITE/PROXY is "host:port"; the setup sheet edits the two
// parts in separate fields.

#include <cstdint>
#include <string>
#include <string_view>

struct ProxyParts {
  std::string host;
  std::string port;
};

// Splits at the first colon: the host before it, the rest (further colons
// included) as the port. Without a colon the host is the whole text.
ProxyParts SplitProxy(std::string_view proxy);

// Host, a colon and port, always with the colon (two empty parts give ":").
std::string JoinProxy(std::string_view host, std::string_view port);

// How the connection is made for a SITE/PROXY_MODE value: 0 directly (no
// proxy, whatever the environment says), 2 through the proxy SITE/PROXY names
// (with no bypass list), any other value through the system's setting (on
// Linux the http_proxy and no_proxy environment variables).
enum class ProxyChoice { Direct, SystemSetting, NamedProxy };
ProxyChoice ProxyChoiceForMode(std::int32_t mode);
