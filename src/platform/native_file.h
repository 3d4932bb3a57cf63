// The system's own kind of open file: a descriptor on POSIX systems, a HANDLE on Windows.
#pragma once

#ifdef _WIN32
#include "platform/unique_handle.h"
#else
#include "platform/unique_fd.h"
#endif

namespace brindle::platform {

#ifdef _WIN32
using NativeFile = UniqueHandle;
#else
using NativeFile = UniqueFd;
#endif

}  // namespace brindle::platform
