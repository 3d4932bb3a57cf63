// A main window over test doubles and a fresh program folder, with helpers to write the
// configuration and an address file.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/dat_builder.h"
#include "support/platform_doubles.h"
#include "support/start_window.h"
#include "window/frm_brindle.h"

namespace brindle::test {

class WindowTest : public ::testing::Test, protected PlatformDoubles {
 protected:
  WindowTest() { std::filesystem::create_directory(dir / "prog"); }

  FrmBrindle& Window() {
    if (!window_) {
      window_ = std::make_unique<FrmBrindle>(Platform(), dir / "prog");
    }
    return *window_;
  }

  std::filesystem::path Prog(const std::string& name) const { return dir / "prog" / name; }
  std::filesystem::path Tmp(const std::string& name) const { return dir / "prog" / "tmp" / name; }
  std::string Conf() const { return ReadFileBytes(Prog("Brindle.conf")); }
  void WriteConf(const std::string& bytes) const { WriteFileBytes(Prog("Brindle.conf"), bytes); }

  // Four categories (2 "Business", 5 "Family", 7 "Friends", 9 "Quick List") and records in
  // each, plus Unfiled ones and one with status 129.
  static DatBuilder Sample() {
    return DatBuilder()
        .Category(2, "Business")
        .Category(5, "Family")
        .Category(7, "Friends")
        .Category(9, "Quick List")
        .Record(RecordPlan(101, 2).Text(19, "Acme, Inc"))
        .Record(RecordPlan(102, 5).Text(20, "Smith"))
        .Record(RecordPlan(103, 0).Text(20, "Nobody"))
        .Record(RecordPlan(104, 5).Status(129))
        .Record(RecordPlan(105, 7).Text(20, "Jones"))
        .EndMarker();
  }

  // Writes the sample (or `builder`) as the user's address file; returns its path text.
  std::string WriteAddressFile(const DatBuilder& builder = Sample(),
                               const std::string& name = "address.dat") const {
    builder.WriteTo(dir / name);
    return (dir / name).string();
  }

  // Start-up answered "No, is  not running": the main window is shown and activated.
  void StartAndShow() {
    StartAsUser(Window());
    started_ = true;
  }
  bool started() const { return started_; }

  // Start-up with a configuration that names no address file and holds `categories` as the
  // saved choice: the main window is shown with the full layout.
  void StartWithSaved(const std::string& categories, const std::string& user = "",
                      const std::string& password = "") {
    WriteConf("\r\n" + categories + "\r\n" + user + "\r\n" + password + "\r\n");
    StartAndShow();
  }

  // The user clicks into `field`, types `text` and moves on: the field's lost-focus handler runs.
  void TypeAndLeave(const std::string& field, const std::string& text) {
    ASSERT_TRUE(Window().SetFocus(field));
    Window().Type(field, text);
    ASSERT_TRUE(Window().SetFocus(field == names::txtFile ? names::txtAuth_login : names::txtFile));
  }

  TempDir dir;

 private:
  std::unique_ptr<FrmBrindle> window_;
  bool started_ = false;
};

}  // namespace brindle::test
