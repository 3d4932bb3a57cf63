#include "window/sync_run/failure_cause.h"

#include <cxxabi.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <typeinfo>

#include "address_file/dat_error.h"
#include "platform/backups.h"
#include "platform/file_error.h"
#include "platform/file_lock.h"
#include "platform/utf8_path.h"
#include "sync/journal.h"
#include "sync/service_reply.h"

namespace brindle {

namespace {

std::string TypeName(const std::exception& error) {
  const char* mangled = typeid(error).name();
  int status = 0;
  const std::unique_ptr<char, decltype(&std::free)> name(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), &std::free);
  return status == 0 && name ? name.get() : mangled;
}

}  // namespace

bool Foreseen(const std::exception& error) {
  return dynamic_cast<const DatError*>(&error) ||
         dynamic_cast<const platform::FileError*>(&error) ||
         dynamic_cast<const JournalError*>(&error) || dynamic_cast<const ReplyError*>(&error) ||
         dynamic_cast<const std::system_error*>(&error);  // filesystem_error among them
}

std::string CauseOf(const std::exception& error) {
  if (!Foreseen(error)) return "internal error (" + TypeName(error) + "): " + error.what();
  const auto* file = dynamic_cast<const platform::FileError*>(&error);
  if (file != nullptr && !file->path().empty() &&
      file->code() == std::errc::no_such_file_or_directory) {
    // A file being made is missing its folder, not itself.
    std::error_code ec;
    const std::filesystem::path folder = file->path().parent_path();
    const bool folderMissing = !folder.empty() && !std::filesystem::exists(folder, ec) && !ec;
    return platform::Utf8FromPath(folderMissing ? folder : file->path()) + " does not exist";
  }
  return error.what();
}

std::string AdviceFor(const std::exception& error, const std::string& button) {
  if (dynamic_cast<const platform::FileInUse*>(&error) != nullptr) {
    return "; wait until the other Brindle run has ended (or close its window), then press " +
           button + " again";
  }
  const auto* replacement = dynamic_cast<const platform::ReplacementError*>(&error);
  if (replacement != nullptr && replacement->code() == std::errc::no_space_on_device) {
    return "; the backups folder is full: make room on its disk, then press " + button +
           " again";
  }
  if (dynamic_cast<const DatError*>(&error) != nullptr) {
    return "; if Palm Desktop cannot open it either, restore a backup with Brindle backups";
  }
  return "";
}

}  // namespace brindle
