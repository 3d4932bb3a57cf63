// The folder that holds the running executable: where Brindle keeps its own files.
#pragma once

#include <filesystem>

namespace brindle::platform {

// `argv0` is the fallback when the system cannot name the executable.
std::filesystem::path ExecutableFolder(const char* argv0);

}  // namespace brindle::platform
