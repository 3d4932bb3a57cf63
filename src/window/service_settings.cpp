#include "window/service_settings.h"

namespace brindle {

ServiceSettings ServiceSettings::BuiltIn() {
  ServiceSettings settings;
  settings.webHost = BRINDLE_WEB_HOST;
  settings.ftpHost = BRINDLE_FTP_HOST;
  settings.ftpPassword = BRINDLE_FTP_PASSWORD;
  return settings;
}

}  // namespace brindle
