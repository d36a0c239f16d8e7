#pragma once
// The bus folder: where every findable window keeps its socket and entry, and
// where the atom table lives. It is $TUNEFETCH_BUS if set, else
// $XDG_RUNTIME_DIR/tunefetch-bus, else /tmp/tunefetch-bus-<uid>. It must be a
// real folder (not a link) owned by this user with no access for anyone else;
// a missing folder is made with mode 0700 and an own folder with wider rights
// is narrowed to 0700. A folder owned by another user is refused, so no
// message of ours ever reaches another user's processes.

#include <string>

#include "platform/FileStamp.h"
#include "platform/bus/BusTypes.h"

struct BusFolderResult {
  BusError error = BusError::None;
  std::string path;  // without a trailing "/"
  // The folder's stamp when it was checked. Adding, replacing or removing
  // an entry changes it, so a listing made under one stamp holds while the
  // folder keeps it.
  FileStamp stamp;
};

// Resolves, makes and checks the folder. The environment is read on every
// call, so a test may point each run at its own folder.
BusFolderResult OpenBusFolder();
