// Start-up and the configuration file.

#include "support/posix_only.h"
#include "window_fixture.h"

namespace brindle::test {
namespace {

using platform::MsgAnswer;
using test::FileOp;

unsigned Permissions(const std::filesystem::path& path) { return test::PermissionBits(path); }

TEST_F(WindowTest, FirstStartCreatesAnEmptyPrivateConfigurationAndTheFullLayout) {
  FrmBrindle& w = Window();
  w.Form_Load();
  EXPECT_EQ(Conf(), "");
  if (test::kPosixFiles) {
    EXPECT_EQ(Permissions(Prog("Brindle.conf")), 0600u);
  }
  EXPECT_TRUE(std::filesystem::is_directory(Prog("tmp")));
  EXPECT_TRUE(messageBox.shown().empty());
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_FALSE(w.control(names::btnLoad).enabled());
  EXPECT_TRUE(w.control(names::frFile).visible() && w.control(names::frExport).visible() &&
              w.control(names::frAuth).visible());
  EXPECT_FALSE(w.control(names::frConfig).visible());
  EXPECT_EQ(w.height(), FrmBrindle::kCreatedHeight);
  EXPECT_EQ(itc.settings(), (std::vector<std::string>{"SetHost ftp.rookery.example",
                                                      "SetPassword brindle@rookery.local",
                                                      "SetUserName tarnwick"}));
}

TEST_F(WindowTest, CompleteConfigurationAnsweredYesGivesTheShortLayout) {
  WriteConf("/data/a, b/address.dat\r\n2 5 0\r\ntarn\r\np,w \r\n");
  messageBox.QueueAnswer(MsgAnswer::Yes);
  FrmBrindle& w = Window();
  w.Form_Load();
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].text,
            "There is a pre-configuration saved. Do you wish to execute it?");
  EXPECT_EQ(messageBox.shown()[0].title, "Pre-configuration...");
  EXPECT_EQ(messageBox.shown()[0].buttons, platform::MsgButtons::YesNo);
  // Commas and blanks inside values survive.
  EXPECT_EQ(w.control(names::txtFile).text(), "/data/a, b/address.dat");
  EXPECT_EQ(w.control(names::txtAuth_pass).text(), "p,w ");
  EXPECT_TRUE(w.control(names::btnLoad).enabled());  // setting the path ran its change handler
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_EQ(w.height(), 5000);
  EXPECT_EQ(w.control(names::frInformation).top(), 0);
  EXPECT_EQ(w.control(names::frStatus).top(), 1000);
  EXPECT_TRUE(w.control(names::frConfig).visible());
  EXPECT_FALSE(w.control(names::frFile).visible() || w.control(names::frExport).visible() ||
               w.control(names::frAuth).visible());
}

TEST_F(WindowTest, CompleteConfigurationAnsweredNoKeepsSyncEnabledInTheFullLayout) {
  WriteConf("x.dat\n3\nu\np\n");  // line feeds alone are read too
  FrmBrindle& w = Window();
  w.Form_Load();  // nothing queued: the box answers No
  EXPECT_EQ(messageBox.shown().at(0).answer, MsgAnswer::No);
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  EXPECT_TRUE(w.control(names::frFile).visible() && w.control(names::frExport).visible() &&
              w.control(names::frAuth).visible());
  EXPECT_FALSE(w.control(names::frConfig).visible());
}

TEST_F(WindowTest, AnEmptyPasswordAsksNothingAndDisablesSync) {
  WriteConf("x.dat\r\n3\r\nu\r\n\r\n");
  FrmBrindle& w = Window();
  w.Form_Load();
  EXPECT_TRUE(messageBox.shown().empty());
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
}

TEST_F(WindowTest, StartUpPassesOverAnUnreadableConfigurationAndAMissingTmpFolder) {
  WriteConf("x.dat\r\n3\r\nu\r\np\r\n");
  files.Plant({FileOp::Read, "Brindle.conf"});
  files.Plant({FileOp::CreateDirectory, "tmp"});
  FrmBrindle& w = Window();
  w.Form_Load();
  EXPECT_EQ(w.control(names::txtFile).text(), "");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  EXPECT_TRUE(w.control(names::frFile).visible());
}

TEST_F(WindowTest, ATmpFolderThatIsALinkIsRefusedWithAMessage) {
  BRINDLE_POSIX_ONLY("Symbolic links for every user");
  WriteConf("");
  std::filesystem::create_directory(dir / "elsewhere");
  std::filesystem::create_symlink(dir / "elsewhere", Prog("tmp"));
  Window().Form_Load();
  ASSERT_EQ(messageBox.shown().size(), 1u);
  EXPECT_EQ(messageBox.shown()[0].title, "tmp Folder Problem");
  EXPECT_NE(messageBox.shown()[0].text.find("it is a symbolic link"), std::string::npos);
  EXPECT_EQ(messageBox.shown()[0].icon, platform::MsgIcon::Critical);
}

TEST_F(WindowTest, WriteCacheFillsFourLinesAndKeepsTheOthers) {
  StartAndShow();
  TypeAndLeave(names::txtAuth_login, "tarn");
  EXPECT_EQ(Conf(), "\r\n\r\ntarn\r\n\r\n");
  TypeAndLeave(names::txtFile, "C:\\a,b.dat");
  TypeAndLeave(names::txtAuth_pass, "s e,cret");
  EXPECT_EQ(Conf(), "C:\\a,b.dat\r\n\r\ntarn\r\ns e,cret\r\n");
  TypeAndLeave(names::txtAuth_login, "two\r\nlines");  // would shift the password: refused
  EXPECT_EQ(Conf(), "C:\\a,b.dat\r\n\r\ntarn\r\ns e,cret\r\n");
}

TEST_F(WindowTest, WriteCacheNarrowsAnOlderFilesPermissionsAndDropsExtraValues) {
  WriteConf("\r\nb\r\nc\r\nd\r\ne\r\n");
  std::filesystem::permissions(Prog("Brindle.conf"), std::filesystem::perms(0644));
  StartAndShow();
  TypeAndLeave(names::txtAuth_login, "7");
  EXPECT_EQ(Conf(), "\r\nb\r\n7\r\nd\r\n");
  if (test::kPosixFiles) {
    EXPECT_EQ(Permissions(Prog("Brindle.conf")), 0600u);
  }
}

TEST_F(WindowTest, WriteCacheFailuresLeaveTheFileAndTheWindowAlone) {
  WriteConf("\r\nb\r\nc\r\nd\r\n");
  StartAndShow();
  files.Plant({FileOp::Read, "Brindle.conf", platform::FileError::Kind::Failed, 1});
  TypeAndLeave(names::txtAuth_login, "new");  // unreadable: not overwritten with empty values
  EXPECT_EQ(Conf(), "\r\nb\r\nc\r\nd\r\n");
  files.Plant({FileOp::Write, "Brindle.conf"});
  TypeAndLeave(names::txtAuth_login, "new");  // full disk: nothing thrown, nothing changed
  EXPECT_EQ(Conf(), "\r\nb\r\nc\r\nd\r\n");
}

TEST_F(WindowTest, LeavingAnEmptyLoginOrPasswordStoresNothing) {
  const std::string path = WriteAddressFile();
  WriteConf(path + "\r\n2\r\nc\r\nd\r\n");
  StartAndShow();
  TypeAndLeave(names::txtAuth_login, "");
  TypeAndLeave(names::txtAuth_pass, "");
  EXPECT_EQ(Conf(), path + "\r\n2\r\nc\r\nd\r\n");
  TypeAndLeave(names::txtAuth_pass, "new");
  EXPECT_EQ(Conf(), path + "\r\n2\r\nc\r\nnew\r\n");
}

TEST_F(WindowTest, SyncFollowsTheLastKeyInLoginAndPassword) {
  StartAndShow();
  FrmBrindle& w = Window();
  w.Type(names::txtFile, WriteAddressFile());
  w.Click(names::btnLoad);
  w.ClickListEntry(0, true);
  w.Type(names::txtAuth_login, "u");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
  w.Type(names::txtAuth_pass, "p");
  EXPECT_TRUE(w.control(names::btnExt_export).enabled());
  w.Type(names::txtAuth_login, "");
  EXPECT_FALSE(w.control(names::btnExt_export).enabled());
}

TEST_F(WindowTest, ClicksReachOnlyReachableButtonsAndTypingOnlyTextFields) {
  FrmBrindle& w = Window();
  w.Form_Load();
  // The main window is still hidden behind the warning: its buttons take no click. Each of
  // them is known to the user events (none throws).
  for (const Control* button : w.controls()) {
    if (button->kind() == ControlKind::Button) {
      EXPECT_FALSE(w.Click(button->name())) << button->name();
    }
  }
  EXPECT_FALSE(w.shown(platform::WindowId::Main));
  EXPECT_TRUE(w.Click("Command1"));  // "No, is  not running"
  EXPECT_FALSE(w.shown(platform::WindowId::Form1));
  EXPECT_TRUE(w.shown(platform::WindowId::Main));
  EXPECT_FALSE(w.Click("Command1"));  // its window is gone
  EXPECT_THROW(w.Click("lblNum_reg"), std::invalid_argument);
  EXPECT_THROW(w.Type("btnLoad", "x"), std::invalid_argument);
  // Every text field of the main window takes typing.
  for (const Control* field : w.controls()) {
    if (field->kind() != ControlKind::TextBox) continue;
    w.Type(field->name(), "typed");
    EXPECT_EQ(field->text(), "typed") << field->name();
  }
  EXPECT_TRUE(w.control(names::btnLoad).enabled());  // the path box's change handler ran
  // The warning window's buttons are known too, and take no click once it is gone.
  for (const Control* button : w.controls(platform::WindowId::Form1)) {
    if (button->kind() == ControlKind::Button) {
      EXPECT_FALSE(w.Click(button->name())) << button->name();
    }
  }
}

}  // namespace
}  // namespace brindle::test
