#include "config/VersionPage.h"

#include "platform/ProgramPath.h"

namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string VersionPageAddress() {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file://";
  for (unsigned char c : ProgramFilePath(kVersionPageFile)) {
    if (IsUnreserved(c)) {
      address += static_cast<char>(c);
    } else {
      address += '%';
      address += kHex[c >> 4];
      address += kHex[c & 15];
    }
  }
  return address;
}
