#include "sync/service_reply.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

TEST(ReplyNumber, ReadsNumbersWithBlanksAround) {
  EXPECT_EQ(ReplyNumber("0"), 0);
  EXPECT_EQ(ReplyNumber("  1  "), 1);
  EXPECT_EQ(ReplyNumber("2\r\n"), 2);
  EXPECT_EQ(ReplyNumber("\t+3"), 3);
  EXPECT_EQ(ReplyNumber("-4"), -4);
  EXPECT_EQ(ReplyNumber("1.0"), 1);
  EXPECT_EQ(ReplyNumber("1e0"), 1);
}

TEST(ReplyNumber, RefusesWhatIsNotANumber) {
  for (const char* reply :
       {"", "   ", "<html>error</html>", "1 2", "1x", "x1", "nan", "inf", "+", "-", "+-1", "0x1"}) {
    EXPECT_THROW(ReplyNumber(reply), ReplyError) << '"' << reply << '"';
  }
  try {
    ReplyNumber("oops");
  } catch (const ReplyError& e) {
    EXPECT_EQ(e.reply(), "oops");
  }
}

TEST(JudgeAuthReply, MapsTheThreeReplies) {
  EXPECT_EQ(JudgeAuthReply("2"), AuthVerdict::Rejected);
  EXPECT_EQ(JudgeAuthReply("1"), AuthVerdict::NoPalmLevel);
  EXPECT_EQ(JudgeAuthReply("0"), AuthVerdict::Accepted);
  EXPECT_EQ(JudgeAuthReply(" 0\n"), AuthVerdict::Accepted);
  EXPECT_EQ(JudgeAuthReply("7"), AuthVerdict::Other);
  EXPECT_EQ(JudgeAuthReply("2.5"), AuthVerdict::Other);
  EXPECT_THROW(JudgeAuthReply("Forbidden"), ReplyError);
}

TEST(ResultReady, OnlyOneMeansReady) {
  EXPECT_TRUE(ResultReady("1"));
  EXPECT_TRUE(ResultReady("   1 "));
  EXPECT_FALSE(ResultReady("0"));
  EXPECT_FALSE(ResultReady("11"));
  EXPECT_THROW(ResultReady(""), ReplyError);
}

}  // namespace
}  // namespace brindle
