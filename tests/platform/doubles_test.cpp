// The doubles other tests rely on: answers, scripts and records.
#include <gtest/gtest.h>

#include "platform/headless/queued_message_box.h"
#include "support/scripted_event_pump.h"

namespace brindle::platform {
namespace {

using test::FakeTransferControl;
using test::ScriptedEventPump;

TEST(QueuedMessageBox, AnswersFromTheQueueThenWithTheDefault) {
  QueuedMessageBox box;
  box.QueueAnswer(MsgAnswer::Yes);
  EXPECT_EQ(box.Show("q", "t", MsgButtons::YesNo, MsgIcon::None), MsgAnswer::Yes);
  EXPECT_EQ(box.Show("q", "t", MsgButtons::YesNo, MsgIcon::None), MsgAnswer::No);
  EXPECT_EQ(box.Show("e", "t", MsgButtons::OK, MsgIcon::Critical), MsgAnswer::OK);
  ASSERT_EQ(box.shown().size(), 3u);
  EXPECT_EQ(box.shown()[2].icon, MsgIcon::Critical);
  box.QueueAnswer(MsgAnswer::No);
  EXPECT_THROW(box.Show("e", "t", MsgButtons::OK, MsgIcon::None), std::invalid_argument);
}

TEST(FakeTransferControl, PlaysOneStatePerPumpAndEndsWithTheLast) {
  FakeTransferControl http;
  ScriptedEventPump pump;
  pump.Attach(http);
  std::vector<int> seen;
  http.OnStateChanged([&](TransferState state) {
    seen.push_back(static_cast<int>(state));
    if (state == TransferState::ResponseCompleted) {
      EXPECT_EQ(http.GetChunk(3), "0 r");
    }
  });
  http.QueueScript({{3, 12}, "0 rest", 0, ""});  // Connecting, ResponseCompleted
  http.Execute("http://h/p?x=1", "GET");
  EXPECT_TRUE(http.StillExecuting());
  pump.DoEvents();
  EXPECT_TRUE(http.StillExecuting());
  pump.DoEvents();
  EXPECT_FALSE(http.StillExecuting());
  EXPECT_EQ(seen, (std::vector<int>{3, 12}));
  EXPECT_EQ(http.GetChunk(512), "est");
  ASSERT_EQ(http.requests().size(), 1u);
  EXPECT_EQ(http.requests()[0].url, "http://h/p?x=1");
  EXPECT_EQ(http.requests()[0].operation, "GET");
}

TEST(FakeTransferControl, ReportsErrorsAndStopsOnCancel) {
  FakeTransferControl ftp;
  ftp.QueueScript({{3, 11},  // Connecting, Error
                   "",
                   kErrorCannotConnect,
                   "cannot connect"});
  ftp.ExecuteCommand("PUT \"a\" \"b\"");
  EXPECT_EQ(ftp.ResponseCode(), kErrorCannotConnect);
  EXPECT_EQ(ftp.ResponseInfo(), "cannot connect");
  ftp.Cancel();
  EXPECT_FALSE(ftp.StillExecuting());
  EXPECT_FALSE(ftp.DeliverNext());
  EXPECT_EQ(ftp.requests()[0].command, "PUT \"a\" \"b\"");
  ftp.ExecuteCommand("DELETE \"b\"");  // nothing scripted: ends at once
  EXPECT_FALSE(ftp.StillExecuting());
}

TEST(ScriptedEventPump, AWaitThatNeverEndsFailsInsteadOfHanging) {
  ScriptedEventPump pump;
  pump.limit = 10;
  EXPECT_THROW(
      {
        for (;;) pump.DoEvents();
      },
      std::runtime_error);
}

}  // namespace
}  // namespace brindle::platform
