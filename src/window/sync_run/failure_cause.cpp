#include "window/sync_run/failure_cause.h"

#include <cxxabi.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>
#include <typeinfo>

#include "address_file/dat_error.h"
#include "platform/file_error.h"
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
  if (Foreseen(error)) return error.what();
  return "internal error (" + TypeName(error) + "): " + error.what();
}

}  // namespace brindle
