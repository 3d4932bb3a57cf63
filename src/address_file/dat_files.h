// The address-file layer's files, opened through the platform's file functions: the one place
// where the platform's FileError becomes this layer's DatError.
#pragma once

#include <cstdio>
#include <filesystem>

namespace brindle {

// Opens a regular file for binary reading; a folder, FIFO or device is refused at once.
// Throws DatError.
std::FILE* OpenDatForReading(const std::filesystem::path& path);
// Creates `path` afresh, owner-only, for binary writing. Throws DatError.
std::FILE* CreateDatFile(const std::filesystem::path& path);

}  // namespace brindle
