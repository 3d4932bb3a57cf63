// Where the Rookery service lives, as the window hands it to the sync run. The defaults are
// fixed when the program is built; tests and the command line may name other hosts.
#pragma once

#include "sync/service_config.h"

namespace brindle {

struct ServiceSettings : ServiceConfig {
  static ServiceSettings BuiltIn() { return {DefaultServiceConfig()}; }
};

}  // namespace brindle
