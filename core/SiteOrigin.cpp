#include "core/SiteOrigin.h"

#include <curl/curl.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/CaseInsensitive.h"

namespace {

struct Origin {
  std::string scheme;
  std::string host;
  std::string port;
};

std::optional<Origin> OriginOf(std::string_view url) {
  const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), &curl_url_cleanup);
  const std::string text(url);
  if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK)
    return std::nullopt;
  Origin origin;
  for (auto [part, field] :
       {std::pair{CURLUPART_SCHEME, &origin.scheme}, std::pair{CURLUPART_HOST, &origin.host},
        std::pair{CURLUPART_PORT, &origin.port}}) {
    char* value = nullptr;
    if (curl_url_get(parsed.get(), part, &value, CURLU_DEFAULT_PORT) != CURLUE_OK)
      return std::nullopt;
    *field = value;
    curl_free(value);
  }
  return origin;
}

}  // namespace

bool IsSiteOrigin(std::string_view siteUrl, std::string_view url) {
  if (siteUrl.empty()) return false;
  const std::optional<Origin> site = OriginOf(siteUrl);
  const std::optional<Origin> target = OriginOf(url);
  return site && target && EqualsIgnoringCase(site->scheme, target->scheme) &&
         EqualsIgnoringCase(site->host, target->host) && site->port == target->port;
}
