// Replacing the program files all-or-nothing, across a power cut. Every new file is written and
// flushed beside the old one ("<name>.new"), and every old one copied ("<name>.old"), before any
// program file changes; a journal in the program folder says which files the update holds and
// whether it got that far. Whoever starts next (Updexe or the service) finishes an update whose new
// files are all complete, or puts the old files back; an old file is never removed before its copy
// is in place.
#pragma once

#include <string>
#include <vector>

#include "common/info_store.h"
#include "platform/file_ops.h"
#include "platform/uninstall_entry.h"

namespace zor {

constexpr const char* kUpdateJournalName = "Update.journal";

struct NewFile {
  std::string name;  // a plain file name in the program folder
  std::string content;
};

enum class CommitOutcome {
  Done,                // every file is new, the version written to INFO.DAT and the uninstall entry
  NotWritten,          // a new file could not be written beside the old one; nothing changed
  RolledBack,          // a file could not be put in place; every old file is back
  RollbackIncomplete,  // and not every old file could be put back; the journal stays for the next start
};

struct CommitResult {
  CommitOutcome outcome = CommitOutcome::Done;
  std::string file;  // the file that failed
};

CommitResult CommitUpdate(FileOps& ops, InfoStore& store, VersionListing& listing, const std::string& dir,
                          const std::string& version, const std::vector<NewFile>& files);

enum class RecoveryOutcome {
  None,        // no interrupted update
  Finished,    // it is complete now, the version written to INFO.DAT and the uninstall entry
  Undone,      // every old file is back
  Incomplete,  // neither could be done (or the journal is unreadable); it stays for the next start
};

struct RecoveryResult {
  RecoveryOutcome outcome = RecoveryOutcome::None;
  std::string version;  // of the interrupted update
};

bool UpdateInterrupted(FileOps& ops, const std::string& dir);
RecoveryResult RecoverUpdate(FileOps& ops, InfoStore& store, VersionListing& listing, const std::string& dir);

}  // namespace zor
