#pragma once
// The association of the download-list extension with this program, kept in
// the classes-root key store:
//   <ext>                          (default) "DownloadListFile", "Content Type"
//                                  "application/download", and the backups
//                                  "Backup by QEM" / "Content Type Backup by QEM"
//                                  of what the two values held before
//   DownloadListFile               "QEM Download List", EditFlags 00 00 01 00
//   DownloadListFile\DefaultIcon   "\"<program>\", 0"
//   DownloadListFile\shell\Start &Download          "Start &Download"
//   DownloadListFile\shell\Start &Download\command  "\"<program>\" \"%1\""
// <program> is the running executable's full path. Associating and releasing
// also tell the user's desktop, the freedesktop way (DesktopAssociation.h),
// so a file manager opens lists with the program. Failures are silent:
// callers test the state of the store again to show it.
//
// An extension must be one key name: an empty text or one holding "\" is
// never associated, and associating or releasing it does nothing (releasing
// the empty name would otherwise delete the whole store).

#include <string_view>

#include "platform/RegistryStore.h"

// True when the default value of key `extension` is exactly "DownloadListFile"
// (case-sensitive; at most the first 1024 bytes of the value are compared).
bool IsExtensionAssociated(const RegistryStore& store, std::string_view extension);

// Writes the association, first saving a default value or content type of
// another kind in the backup values (same type, same bytes). Associating
// again saves nothing and keeps the earlier backups.
void AssociateExtension(const RegistryStore& store, std::string_view extension);

// Restores the saved default value and content type and removes the backups,
// then deletes the file type. Without a saved default value, removes the
// default value and content type only while they still hold what associating
// wrote, and deletes the extension key only when nothing else is left in it,
// so other programs' values and subkeys survive.
void ReleaseExtension(const RegistryStore& store, std::string_view extension);

// Deletes key `name` below `parent` ("" for the root) with all its subkeys
// and values; does nothing when the key cannot be opened.
void DeleteKeyTree(const RegistryStore& store, std::string_view parent, std::string_view name);
