#include "sync/service_config.h"

namespace brindle {

ServiceConfig DefaultServiceConfig() {
  ServiceConfig config;
  config.webHost = BRINDLE_DEFAULT_WEB_HOST;
  config.ftpHost = BRINDLE_DEFAULT_FTP_HOST;
  config.ftpPassword = BRINDLE_DEFAULT_FTP_PASSWORD;
  return config;
}

}  // namespace brindle
