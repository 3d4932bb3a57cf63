#include "sync/recovery.h"

namespace brindle {

Recovery RecoveryFor(SyncStep last) {
  switch (last) {
    case SyncStep::None:
    case SyncStep::Authenticated:
    case SyncStep::ExportUploaded:
      return Recovery::GoOn;
    case SyncStep::ImportRequested:
    case SyncStep::ResultReady:
      return Recovery::FetchResult;
    case SyncStep::ResultHeld:
      return Recovery::WriteBackHeld;
    case SyncStep::WrittenBack:
      return Recovery::DeleteResult;
    case SyncStep::ResultDeleted:
    case SyncStep::Finished:
      return Recovery::DropJournal;
  }
  return Recovery::FetchResult;  // an unknown step: ask the service, the safe side
}

}  // namespace brindle
