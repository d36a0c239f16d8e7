#include "config/ProxyText.h"

ProxyParts SplitProxy(std::string_view proxy) {
  size_t colon = proxy.find(':');
  if (colon == std::string_view::npos) return {std::string(proxy), {}};
  return {std::string(proxy.substr(0, colon)), std::string(proxy.substr(colon + 1))};
}

std::string JoinProxy(std::string_view host, std::string_view port) {
  return std::string(host) + ":" + std::string(port);
}

ProxyChoice ProxyChoiceForMode(std::int32_t mode) {
  if (mode == 0) return ProxyChoice::Direct;
  if (mode == 2) return ProxyChoice::NamedProxy;
  return ProxyChoice::SystemSetting;
}
