// One fault at each step of a scripted sync: what the run still sends, what it leaves for the
// next SYNC (the journal's last step), and what the service's copy of the result becomes.
#include <algorithm>
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
  bool importAsked;     // the service was asked to import
  bool resultDeleted;   // a DELETE of the result was sent
  const char* journal;  // the journal's last step afterwards, "" for none
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
  for (const std::string& url : Urls())
    importAsked |= url.find("ext_input.php") != std::string::npos;
  bool deleted = false;
  for (const std::string& command : Commands()) deleted |= command.rfind("DELETE ", 0) == 0;
  EXPECT_EQ(importAsked, fault.importAsked);
  EXPECT_EQ(deleted, fault.resultDeleted);
  EXPECT_EQ(JournalStep(), fault.journal);
  EXPECT_EQ(w.lastRun().ending, fault.ending) << w.lastRun().cause;
}

const StepFault kStepFaults[] = {
    {"healthy", [](RunScript&) {}, true, true, "", RunEnding::Finished},
    {"upload fails", [](RunScript& r) { r.upload = FtpFailure(12030, "lost"); }, false, false, "",
     RunEnding::Failed},
    {"download fails",
     [](RunScript& r) {
       r.download = FtpFailure(12030, "lost");
       r.result.reset();
     },
     true, false, "result ready", RunEnding::Failed},
    {"download leaves a file but ends in error",
     [](RunScript& r) { r.download = FtpFailure(426, "Connection closed"); }, true, false,
     "result ready", RunEnding::Failed},
    {"result refused", [](RunScript& r) { r.result = "101,5001\n\n"; }, true, false,
     "result held locally", RunEnding::Failed},
    {"delete refused", [](RunScript& r) { r.remove = FtpFailure(550, "Refused"); }, true, true,
     "written back", RunEnding::Finished},
};

INSTANTIATE_TEST_SUITE_P(Faults, RunStepsTest, ::testing::ValuesIn(kStepFaults),
                         [](const auto& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// A result waiting under this run's name before its import is taken for this run's never: it
// is deleted when this file's journal says it is written back, and otherwise left alone while
// the run stops before its upload.
struct EarlierResult {
  const char* name;
  const char* journalOf;  // the address file whose journal claims the result, "" for none
  bool deleteRefused;     // the delete before the upload is refused
  const char* cause;      // "" when the run finishes
};

class EarlierResultTest : public SyncTest, public ::testing::WithParamInterface<EarlierResult> {
 protected:
  void PlantJournal(const std::string& datText) {
    SyncJournal journal;
    journal.datPath = JournalKey(datText);
    journal.csvName = "5_csv.tmp";
    journal.resultName = "5_csv.tmp.out";
    journal.lines = 2;
    journal.exportedIds = {101, 102};
    journal.time = "2026-12-01T10:00:00Z";
    journal.step = SyncStep::WrittenBack;
    WriteFileBytes(dir / "prog" / JournalFileName(journal.datPath), FormatJournal(journal));
  }
};

TEST_P(EarlierResultTest, IsDeletedOnlyWhenThisFilesJournalClaimsIt) {
  const EarlierResult& c = GetParam();
  Prepare();
  const bool own = std::string(c.journalOf) == "this";
  if (*c.journalOf) PlantJournal(own ? datPath().string() : "/elsewhere/other.dat");
  // This file's journal is finished first: its delete is refused once.
  if (own) itc.QueueScript(FtpFailure(550, "Refused"));
  for (const char* reply : {"0", "1"}) itc2.QueueScript(HttpReply(reply));  // auth, waits
  if (own) {
    itc.QueueScript(c.deleteRefused ? FtpFailure(550, "Refused") : FtpDone());
    itc2.QueueScript(HttpReply(c.deleteRefused ? "1" : "0"));
  }
  for (const char* reply : {"0", "1"}) itc2.QueueScript(HttpReply(reply));  // import, ready
  for (int i = 0; i < 3; ++i) itc.QueueScript(FtpDone());  // upload, download, delete
  DownloadLeaves("101,5001\n\n102,5002\n\n");
  FrmBrindle& w = Window();
  w.Click(names::btnExt_export);

  std::vector<std::string> commands = Commands();
  const bool uploaded = std::any_of(commands.begin(), commands.end(),
                                    [](const auto& cmd) { return cmd.rfind("PUT ", 0) == 0; });
  const auto deletes = std::count(commands.begin(), commands.end(), "DELETE \"5_csv.tmp.out\"");
  EXPECT_EQ(deletes, own ? (c.deleteRefused ? 2 : 3) : 0);  // never one no journal claims
  EXPECT_EQ(uploaded, !*c.cause);
  if (*c.cause) {
    EXPECT_EQ(w.lastRun().ending, RunEnding::Failed);
    EXPECT_NE(w.lastRun().cause.find(c.cause), std::string::npos) << w.lastRun().cause;
  } else {
    EXPECT_EQ(w.lastRun().ending, RunEnding::Finished) << w.lastRun().cause;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Claims, EarlierResultTest,
    ::testing::Values(
        EarlierResult{"Unclaimed", "", false, "no sync from this program folder asked for"},
        EarlierResult{"OtherFile", "other", false, "belongs to the unfinished sync of"},
        EarlierResult{"ThisFileWrittenBack", "this", false, ""},
        EarlierResult{"DeleteRefused", "this", true, "could not be deleted"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brindle::test
