#pragma once
// Where the stored credentials (SITE/USERID and SITE/PASSWORD) may be sent:
// only to the server that SITE/URL names. A list names any server it likes in
// its base URL, so the stored password must not follow it there.

#include <string_view>

// True when `url` has the scheme, host and port of `siteUrl` (a port not
// written is the scheme's own; scheme and host compare without regard to
// case). False when either cannot be parsed, and always for an empty
// `siteUrl`: without a site, the stored credentials go to no server.
bool IsSiteOrigin(std::string_view siteUrl, std::string_view url);
