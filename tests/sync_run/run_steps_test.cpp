// One fault at each step of a scripted sync: what the run still sends, what it leaves for the
// next SYNC (the journal's last step), and what the service's copy of the result becomes.
#include <cctype>
#include <string>
#include <vector>

#include "sync/journal.h"
#include "sync_fixture.h"

namespace brindle::test {
namespace {

namespace fs = std::filesystem;

struct StepFault {
  const char* name;
  void (*arrange)(RunScript&);
  bool importAsked;       // the service was asked to import
  bool resultDeleted;     // a DELETE of the result was sent
  const char* journal;    // the journal's last step afterwards, "" for none
  RunEnding ending;
};

class RunStepsTest : public SyncTest, public ::testing::WithParamInterface<StepFault> {
 protected:
  std::string JournalStep() {
    for (const auto& entry : fs::directory_iterator(dir / "prog")) {
      const std::string name = entry.path().filename().string();
      if (name.rfind("sync-journal-", 0) == 0 && entry.path().extension() == ".txt") {
        return StepName(ParseJournal(ReadFileBytes(entry.path())).step);
      }
    }
    return "";
  }
};

TEST_P(RunStepsTest, TheRunSendsNothingItCannotFinishAndKeepsWhatTheNextOneNeeds) {
  const StepFault& fault = GetParam();
  Prepare();
  RunScript run;
  run.result = "101,5001\n\n102,5002\n\n";
  fault.arrange(run);
  Script(run);
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);

  bool importAsked = false;
  for (const std::string& url : Urls()) importAsked |= url.find("ext_input.php") != std::string::npos;
  bool deleted = false;
  for (const std::string& command : Commands()) deleted |= command.rfind("DELETE ", 0) == 0;
  EXPECT_EQ(importAsked, fault.importAsked);
  EXPECT_EQ(deleted, fault.resultDeleted);
  EXPECT_EQ(JournalStep(), fault.journal);
  EXPECT_EQ(w.lastRun().ending, fault.ending) << w.lastRun().cause;
  EXPECT_FALSE(w.syncRunning());
}

const StepFault kStepFaults[] = {
    {"healthy", [](RunScript&) {}, true, true, "", RunEnding::Finished},
    {"upload fails", [](RunScript& r) { r.upload = FtpFailure(12030, "lost"); }, false,
     false, "", RunEnding::Failed},
    {"download fails",
     [](RunScript& r) {
       r.download = FtpFailure(12030, "lost");
       r.result.reset();
     },
     true, false, "result ready", RunEnding::Failed},
    {"download leaves a file but ends in error",
     [](RunScript& r) { r.download = FtpFailure(426, "Connection closed"); }, true,
     false, "result ready", RunEnding::Failed},
    {"result refused", [](RunScript& r) { r.result = "101,5001\n\n"; }, true, false,
     "result held locally", RunEnding::Failed},
    {"delete refused", [](RunScript& r) { r.remove = FtpFailure(550, "Refused"); },
     true, true, "written back", RunEnding::Finished},
};

INSTANTIATE_TEST_SUITE_P(Faults, RunStepsTest, ::testing::ValuesIn(kStepFaults),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// A result an earlier run left under this run's name is deleted before anything is sent; a
// run that cannot delete it sends nothing.
TEST_F(SyncTest, AnEarlierResultIsDeletedBeforeTheUpload) {
  Prepare();
  for (const char* reply : {"0", "1", "0", "0", "1"}) {  // auth, waits, gone, import, ready
    itc2.QueueScript(HttpReply(reply));
  }
  for (int i = 0; i < 4; ++i) itc.QueueScript(FtpDone());  // delete, upload, download, delete
  DownloadLeaves("101,5001\n\n102,5002\n\n");
  Window().Click(names::btnExt_export);
  ASSERT_EQ(Commands().size(), 4u);
  EXPECT_EQ(Commands()[0], "DELETE \"5_csv.tmp.out\"");
  EXPECT_EQ(Commands()[1].rfind("PUT ", 0), 0u);
  EXPECT_EQ(Window().lastRun().ending, RunEnding::Finished) << Window().lastRun().cause;
}

TEST_F(SyncTest, AnEarlierResultThatCannotBeDeletedStopsTheRunBeforeTheUpload) {
  Prepare();
  for (const char* reply : {"0", "1", "1"}) itc2.QueueScript(HttpReply(reply));
  itc.QueueScript(FtpFailure(550, "Refused"));
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);
  EXPECT_EQ(Commands(), std::vector<std::string>{"DELETE \"5_csv.tmp.out\""});
  EXPECT_EQ(w.lastRun().ending, RunEnding::Failed);
  EXPECT_NE(w.lastRun().cause.find("could not be deleted"), std::string::npos);
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
}

}  // namespace
}  // namespace brindle::test
