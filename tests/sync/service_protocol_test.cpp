#include "sync/service_protocol.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

ServiceConfig Config() {
  ServiceConfig config;
  config.webHost = "127.0.0.1:8080";
  config.ftpHost = "ftp.example";
  return config;
}

TEST(PercentEncode, KeepsUnreservedAndEncodesEverythingElse) {
  EXPECT_EQ(PercentEncode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(PercentEncode("a b&c=d#e+f"), "a%20b%26c%3Dd%23e%2Bf");
  EXPECT_EQ(PercentEncode("%/?"), "%25%2F%3F");
  // Windows-1252 bytes pass as their own byte values: e-acute is E9.
  EXPECT_EQ(PercentEncode("Jos\xE9"), "Jos%E9");
  EXPECT_EQ(PercentEncode(std::string("\0\x7F", 2)), "%00%7F");
  EXPECT_EQ(PercentEncode(""), "");
}

TEST(ServiceUrls, CarryTheExactQueries) {
  EXPECT_EQ(
      AuthUrl(Config(), "demo", "p&ss word"),
      "http://127.0.0.1:8080/rookery/csv_importer/ext_auth.php?login=demo&pass=p%26ss%20word");
  // The import's "category" key carries the user name, and version is always 9.
  EXPECT_EQ(ImportUrl(Config(), "an+na", "12_csv.tmp"),
            "http://127.0.0.1:8080/rookery/csv_importer/"
            "ext_input.php?category=an%2Bna&name_file=12_csv.tmp&version=9");
  EXPECT_EQ(VerifyUrl(Config(), "12_csv.tmp"),
            "http://127.0.0.1:8080/rookery/csv_importer/ext_verify.php?name_file=12_csv.tmp");
  EXPECT_EQ(VerifyUrl(Config(), "-3_csv.tmp"),
            "http://127.0.0.1:8080/rookery/csv_importer/ext_verify.php?name_file=-3_csv.tmp");
}

TEST(ServiceUrls, AWebHostWithItsSchemeKeepsIt) {
  ServiceConfig config = Config();
  config.webHost = "https://rookery.example:8443/";
  EXPECT_EQ(
      VerifyUrl(config, "12_csv.tmp"),
      "https://rookery.example:8443/rookery/csv_importer/ext_verify.php?name_file=12_csv.tmp");
  config.webHost = "HTTP://rookery.example";
  EXPECT_EQ(VerifyUrl(config, "1_csv.tmp"),
            "HTTP://rookery.example/rookery/csv_importer/ext_verify.php?name_file=1_csv.tmp");
}

TEST(FtpCommandTexts, QuoteEveryName) {
  EXPECT_EQ(UploadCommand("/opt/brindle/tmp/12_csv.tmp", "12_csv.tmp"),
            "PUT \"/opt/brindle/tmp/12_csv.tmp\" \"12_csv.tmp\"");
  EXPECT_EQ(DownloadCommand("12_csv.tmp", "/opt/my brindle/tmp/12_csv.tmp.out"),
            "GET \"12_csv.tmp.out\" \"/opt/my brindle/tmp/12_csv.tmp.out\"");
  EXPECT_EQ(DeleteCommand("12_csv.tmp"), "DELETE \"12_csv.tmp.out\"");
  EXPECT_EQ(ResultName("152_csv.tmp"), "152_csv.tmp.out");
}

}  // namespace
}  // namespace brindle
