// A main window ready to press "SYNC": a loaded address file, two chosen categories, a user
// name and password. The transfers are the scriptable doubles; the clock advances 100 ms with
// every pump, so paced waits finish at once in real time.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "address_file/dat_input.h"
#include "address_file/dat_reader.h"
#include "support/dat_builder.h"
#include "support/platform_doubles.h"
#include "support/start_window.h"
#include "window/frm_brindle.h"

namespace brindle::test {

using test::TransferScript;

inline TransferScript HttpReply(std::string body) {
  return {{1, 2, 3, 4, 5, 6, 7, 8, 12}, std::move(body), 0, ""};
}
inline TransferScript HttpFailure() { return {{1, 2, 3, 11}, "", 12030, "Connection refused"}; }
inline TransferScript FtpDone() { return {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12}, "", 0, ""}; }
inline TransferScript FtpFailure(int code, std::string info) {
  return {{1, 2, 3, 4, 5, 11}, "", code, std::move(info)};
}

// Records 101 (Business), 102 (Family), 103 (Unfiled), 105 (Friends); 5 stated records.
inline DatBuilder SyncSample() {
  return DatBuilder()
      .Category(2, "Business")
      .Category(5, "Family")
      .Category(7, "Friends")
      .Record(RecordPlan(101, 2).Text(19, "Acme, Inc"))
      .Record(RecordPlan(102, 5).Text(20, "Smith").Custom(9, "old"))
      .Record(RecordPlan(103, 0).Text(20, "Nobody"))
      .Record(RecordPlan(105, 7).Text(20, "Jones"))
      .RecordCount(5)
      .EndMarker();
}

struct RecordState {
  std::int32_t status = 0;
  std::string custom9;
};

// Status and custom9 of every record of an address file, by record id.
inline std::map<std::int32_t, RecordState> ReadStates(const std::filesystem::path& path) {
  DatReader reader;
  DatInput in(path);
  const DatHeader header = reader.ReadHeader(in);
  std::map<std::int32_t, RecordState> states;
  ForEachRecord(reader, in, header.recordCount, [&](const DatRecord& record, std::int64_t) {
    states[record.recordId] = {record.status, record.custom9};
  });
  return states;
}

// What the scripted service does in one run; the defaults make a run that succeeds once
// `result` is set.
struct RunScript {
  TransferScript auth = HttpReply("0");
  TransferScript upload = FtpDone();
  std::string importReply = "0";
  int notReady = 1;  // verify replies of 0 before the 1
  TransferScript download = FtpDone();
  TransferScript remove = FtpDone();
  std::optional<std::string> result;  // what the download leaves in the tmp folder
};

class SyncTest : public ::testing::Test, protected PlatformDoubles {
 protected:
  SyncTest() {
    std::filesystem::create_directory(dir / "prog");
    pump.onPump = [this] {
      now += std::chrono::milliseconds(100);
      if (onPump) onPump();
    };
    SyncSample().WriteTo(datPath());
    original = ReadFileBytes(datPath());
  }

  FrmBrindle& Window() {
    if (!window_) {
      ServiceConfig service;
      service.webHost = "web.test:8080";
      service.ftpHost = "ftp.test";
      service.ftpPassword = "secret";
      clock = [this] { return now; };
      window_ = std::make_unique<FrmBrindle>(Platform(), dir / "prog", service);
    }
    return *window_;
  }

  // Presses SYNC and returns the technical causes the run reported beside its window texts.
  std::vector<std::string> SyncCollectingCauses() {
    std::vector<std::string> causes;
    Window().AddDiagnosticListener(
        [&causes](const std::string& cause) { causes.push_back(cause); });
    Window().Click(names::btnExt_export);
    return causes;
  }

  std::filesystem::path datPath() const { return dir / "address.dat"; }
  std::filesystem::path Tmp(const std::string& name) const { return dir / "prog" / "tmp" / name; }

  // Start-up, load, categories Business and Family chosen, credentials typed.
  void Prepare(const std::string& user = "demo", const std::string& password = "demo") {
    FrmBrindle& w = Window();
    StartAsUser(w);
    w.Type(names::txtFile, datPath().string());
    w.Click(names::btnLoad);
    for (int i = 0; i < w.categoryList().size(); ++i) {
      const std::string& text = w.categoryList().entries()[i].text;
      if (text == "Business" || text == "Family") {
        w.ClickListEntry(i, true);
        w.MouseUp(names::lstCategory);
      }
    }
    w.Type(names::txtAuth_login, user);
    w.Type(names::txtAuth_pass, password);
    ASSERT_TRUE(w.control(names::btnExt_export).enabled());
  }

  void Script(const RunScript& run) {
    itc2.QueueScript(run.auth);
    itc2.QueueScript(HttpReply("0"));  // no earlier result waits under this run's name
    itc.QueueScript(run.upload);
    itc2.QueueScript(HttpReply(run.importReply));
    if (run.importReply != "1") {
      for (int i = 0; i < run.notReady; ++i) itc2.QueueScript(HttpReply("0"));
      itc2.QueueScript(HttpReply("1"));
    }
    itc.QueueScript(run.download);
    itc.QueueScript(run.remove);
    if (run.result) DownloadLeaves(*run.result);
  }

  void ScriptSuccess(const std::string& result, int notReady = 1) {
    RunScript run;
    run.result = result;
    run.notReady = notReady;
    Script(run);
  }

  // When the download command starts, the result file appears, as the real control makes it.
  void DownloadLeaves(const std::string& result) {
    onPump = [this, result] {
      if (!downloaded_ && !itc.requests().empty() &&
          itc.requests().back().command.rfind("GET ", 0) == 0) {
        WriteFileBytes(Tmp("5_csv.tmp.out"), result);
        downloaded_ = true;
      }
    };
  }

  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const auto& request : itc2.requests()) urls.push_back(request.url);
    return urls;
  }
  std::vector<std::string> Commands() const {
    std::vector<std::string> commands;
    for (const auto& request : itc.requests()) commands.push_back(request.command);
    return commands;
  }

  TempDir dir;
  std::chrono::steady_clock::time_point now{};
  std::function<void()> onPump;
  std::string original;

 private:
  std::unique_ptr<FrmBrindle> window_;
  bool downloaded_ = false;
};

}  // namespace brindle::test
