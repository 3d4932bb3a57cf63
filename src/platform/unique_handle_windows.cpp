#include <windows.h>

#include "platform/unique_handle.h"

namespace brindle::platform {

bool UniqueHandle::Close() { return !*this || ::CloseHandle(release()) != 0; }

}  // namespace brindle::platform
