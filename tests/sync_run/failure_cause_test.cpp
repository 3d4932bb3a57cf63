// What the window tells a user to do after a failure of the address file, by the error that
// caused it: the advice must follow the error's kind and the system's reason, never its words.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "address_file/dat_error.h"
#include "platform/backups.h"
#include "platform/file_lock.h"
#include "window/sync_run/failure_cause.h"

namespace brindle::test {
namespace {

struct AdviceCase {
  const char* what;
  std::function<void()> fail;
  std::string advice;  // "" when the window offers nothing more
};

TEST(AdviceFor, FollowsTheErrorsKindAndTheSystemsReason) {
  const auto full = std::make_error_code(std::errc::no_space_on_device);
  const auto denied = std::make_error_code(std::errc::permission_denied);
  const std::vector<AdviceCase> cases = {
      {"another run holds the file", [] { throw platform::FileInUse("address.dat is in use"); },
       "; wait until the other Brindle run has ended (or close its window), then press SYNC "
       "again"},
      {"no room for the backup",
       [&] { throw platform::ReplacementError("cannot keep a backup (disk full)", full); },
       "; the backups folder is full: make room on its disk, then press SYNC again"},
      // The same words without the system's reason: nothing is read from the message.
      {"a refused backup, not a full disk",
       [&] { throw platform::ReplacementError("cannot keep a backup (disk full)", denied); },
       ""},
      {"a file that is no address file", [] { throw DatError("bad tag", 0); },
       "; if Palm Desktop cannot open it either, restore a backup with Brindle backups"},
      {"a programming error", [] { throw std::logic_error("bug"); }, ""},
  };
  for (const AdviceCase& c : cases) {
    try {
      c.fail();
      ADD_FAILURE() << c.what << ": nothing thrown";
    } catch (const std::exception& e) {
      EXPECT_EQ(AdviceFor(e, "SYNC"), c.advice) << c.what;
    }
  }
}

}  // namespace
}  // namespace brindle::test
