#pragma once
// Text put into XML (or markup read as XML, such as a notification's body).

#include <string>
#include <string_view>

// `text` with &, <, > and " written as entities.
std::string XmlEscaped(std::string_view text);
