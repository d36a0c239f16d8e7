#include "config/VersionPage.h"

#include "platform/HexText.h"
#include "platform/ProgramPath.h"

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string VersionPageAddress() {
  return "file://" + PercentEscape(ProgramFilePath(kVersionPageFile), IsUnreserved);
}
