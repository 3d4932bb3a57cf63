// The requests the tool sends to the Rookery service: the three page URLs, the three FTP
// command texts and the names of the transferred files.
#pragma once

#include <string>
#include <string_view>

#include "sync/service_config.h"

namespace brindle {

inline constexpr std::string_view kPagePath = "/rookery/csv_importer/";

// Percent-encodes every byte except the unreserved characters A-Z a-z 0-9 - . _ ~, so that
// the service receives exactly the bytes the user typed ("&", "#", "+" and blanks included).
std::string PercentEncode(std::string_view value);

std::string AuthUrl(const ServiceConfig& config, std::string_view user, std::string_view password);
// `category` carries the user name: that is what the service expects under that key.
std::string ImportUrl(const ServiceConfig& config, std::string_view user, std::string_view csvName);
std::string VerifyUrl(const ServiceConfig& config, std::string_view csvName);

// "<csvName>.out", the service's result file, on the server and in the local tmp folder.
std::string ResultName(std::string_view csvName);

// FTP command texts; every file name is enclosed in double quotes.
std::string UploadCommand(std::string_view localCsvPath, std::string_view csvName);
std::string DownloadCommand(std::string_view csvName, std::string_view localResultPath);
std::string DeleteCommand(std::string_view csvName);

}  // namespace brindle
