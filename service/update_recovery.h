// At its start the service finishes or undoes an update a power cut interrupted, before it loads
// anything from the program folder, and says in its log what became of it; a finished update is
// the version the uninstall entry lists.
#pragma once

#include <string>

#include "common/info_store.h"
#include "platform/file_ops.h"
#include "platform/uninstall_entry.h"
#include "service/trace.h"

namespace zor {

void RecoverInterruptedUpdate(FileOps& ops, VersionListing& listing, InfoStore& store, const std::string& dir,
                              TraceSink& trace);

}  // namespace zor
