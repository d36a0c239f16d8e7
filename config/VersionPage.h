#pragma once
// Where "Check for New Version" leads: the version-information page shipped
// in the program folder, so it opens without a network.

#include <string>
#include <string_view>

inline constexpr std::string_view kVersionPageFile = "version.html";

// A file URL of <program folder>/version.html, with every byte outside the
// unreserved characters and "/" percent-escaped.
std::string VersionPageAddress();
