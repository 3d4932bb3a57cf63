#include "platform/curl/ftp_command.h"

#include <gtest/gtest.h>

namespace brindle::platform {
namespace {

TEST(ParseFtpCommand, ReadsTheThreeCommands) {
  const FtpCommand put = ParseFtpCommand("PUT \"/a b/tmp/12_csv.tmp\" \"12_csv.tmp\"");
  EXPECT_EQ(put.kind, FtpCommand::Kind::Put);
  EXPECT_EQ(put.localPath, "/a b/tmp/12_csv.tmp");
  EXPECT_EQ(put.remoteName, "12_csv.tmp");

  const FtpCommand get = ParseFtpCommand("GET \"12_csv.tmp.out\" \"/a b/tmp/12_csv.tmp.out\"");
  EXPECT_EQ(get.kind, FtpCommand::Kind::Get);
  EXPECT_EQ(get.remoteName, "12_csv.tmp.out");
  EXPECT_EQ(get.localPath, "/a b/tmp/12_csv.tmp.out");

  const FtpCommand del = ParseFtpCommand("delete 12_csv.tmp.out");
  EXPECT_EQ(del.kind, FtpCommand::Kind::Delete);
  EXPECT_EQ(del.remoteName, "12_csv.tmp.out");
  EXPECT_EQ(del.localPath, "");
}

TEST(ParseFtpCommand, RefusesMalformedCommands) {
  for (const char* text :
       {"", "LIST", "PUT \"a\"", "GET \"a\" \"b\" \"c\"", "DELETE", "DELETE \"unclosed",
        "DELETE \"\"", "DELETE \"a\r\nRMD x\"", "RENAME \"a\" \"b\""}) {
    EXPECT_THROW(ParseFtpCommand(text), FtpCommandError) << text;
  }
}

}  // namespace
}  // namespace brindle::platform
