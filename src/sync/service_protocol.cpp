#include "sync/service_protocol.h"

#include <cctype>

namespace brindle {
namespace {

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

// A host given with its scheme keeps it ("https://host" is reached over TLS); a bare host is
// reached over plain HTTP.
std::string WebBase(std::string_view host) {
  while (!host.empty() && host.back() == '/') host.remove_suffix(1);
  if (StartsWithNoCase(host, "https://") || StartsWithNoCase(host, "http://")) {
    return std::string(host);
  }
  return "http://" + std::string(host);
}

std::string PageUrl(const ServiceConfig& config, std::string_view pageAndQuery) {
  std::string url = WebBase(config.webHost);
  url += kPagePath;
  url += pageAndQuery;
  return url;
}

std::string Quoted(std::string_view text) {
  std::string out = "\"";
  out += text;
  out += '"';
  return out;
}

}  // namespace

std::string PercentEncode(std::string_view value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size());
  for (char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsUnreserved(c)) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

std::string AuthUrl(const ServiceConfig& config, std::string_view user, std::string_view password) {
  return PageUrl(config,
                 "ext_auth.php?login=" + PercentEncode(user) + "&pass=" + PercentEncode(password));
}

std::string ImportUrl(const ServiceConfig& config, std::string_view user,
                      std::string_view csvName) {
  return PageUrl(config, "ext_input.php?category=" + PercentEncode(user) +
                             "&name_file=" + PercentEncode(csvName) + "&version=9");
}

std::string VerifyUrl(const ServiceConfig& config, std::string_view csvName) {
  return PageUrl(config, "ext_verify.php?name_file=" + PercentEncode(csvName));
}

std::string ResultName(std::string_view csvName) { return std::string(csvName) + ".out"; }

std::string UploadCommand(std::string_view localCsvPath, std::string_view csvName) {
  return "PUT " + Quoted(localCsvPath) + " " + Quoted(csvName);
}

std::string DownloadCommand(std::string_view csvName, std::string_view localResultPath) {
  return "GET " + Quoted(ResultName(csvName)) + " " + Quoted(localResultPath);
}

std::string DeleteCommand(std::string_view csvName) {
  return "DELETE " + Quoted(ResultName(csvName));
}

}  // namespace brindle
