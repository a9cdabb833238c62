#include "service/update_recovery.h"

#include "common/update_transaction.h"

namespace zor {

void RecoverInterruptedUpdate(FileOps& ops, VersionListing& listing, InfoStore& store, const std::string& dir,
                              TraceSink& trace) {
  const RecoveryResult r = RecoverUpdate(ops, store, listing, dir);
  switch (r.outcome) {
    case RecoveryOutcome::None:
      return;
    case RecoveryOutcome::Finished:
      Tracef(trace, "Interrupted update to %s finished\n", r.version.c_str());
      return;
    case RecoveryOutcome::Undone:
      Tracef(trace, "Interrupted update to %s undone\n", r.version.c_str());
      return;
    case RecoveryOutcome::Incomplete:
      Tracef(trace, "Interrupted update to %s could not be finished nor undone!!\n", r.version.c_str());
      return;
  }
}

}  // namespace zor
