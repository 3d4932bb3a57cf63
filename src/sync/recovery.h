// What the next SYNC of an address file does with the journal an interrupted run left, by the
// last step the journal names. docs/sync-recovery.md gives the reasons row by row: no step
// can be repeated in a way that adds a contact twice or loses an identifier.
#pragma once

#include "sync/journal.h"

namespace brindle {

enum class Recovery {
  GoOn,           // the service imported nothing: the journal goes and a new sync starts
  FetchResult,    // the service may have imported: fetch its result, then as WriteBackHeld
  WriteBackHeld,  // write the held result back, then as DeleteResult
  DeleteResult,   // the file has its identifiers: delete the service's copy of the result
  DropJournal,    // nothing is left to do but forget the run
};

Recovery RecoveryFor(SyncStep last);

}  // namespace brindle
