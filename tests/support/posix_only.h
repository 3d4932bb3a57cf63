// What only POSIX systems have: owner-only permission bits, inode numbers and symbolic links
// that any user may make. On Windows the user's profile keeps files private through access
// lists, which Wine does not enforce, and links need privileges; the tests of these run on
// Linux only.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

namespace brindle::test {

#ifdef _WIN32
inline constexpr bool kPosixFiles = false;
#define BRINDLE_POSIX_ONLY(what)                                                                 \
  GTEST_SKIP() << what                                                                           \
               << " exist on POSIX systems only; Windows keeps the profile private with access " \
                  "lists, which Wine does not enforce, so this runs in the Linux build"
#else
inline constexpr bool kPosixFiles = true;
#define BRINDLE_POSIX_ONLY(what) static_cast<void>(0)
#endif

// The permission bits, e.g. 0600.
inline unsigned PermissionBits(const std::filesystem::path& path) {
  return static_cast<unsigned>(std::filesystem::status(path).permissions() &
                               std::filesystem::perms::mask);
}

inline void SetPermissionBits(const std::filesystem::path& path, unsigned bits) {
  std::filesystem::permissions(path, static_cast<std::filesystem::perms>(bits));
}

}  // namespace brindle::test
