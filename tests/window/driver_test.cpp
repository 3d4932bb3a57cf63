// The scenario driver's command language: what it runs, prints, ignores and refuses.
#include <sstream>

#include "window/driver/scenario_driver.h"
#include "window_fixture.h"

namespace brindle::test {
namespace {

struct DriveResult {
  int status;
  std::string out, err;
};

class DriverTest : public ::testing::Test {
 protected:
  DriveResult Drive(const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    drive::DriveOptions options;
    options.programFolder = dir.path();
    drive::ScenarioDriver driver(options, out);
    const int status = drive::RunScript(driver, in, out, err);
    return {status, out.str(), err.str()};
  }
  TempDir dir;
};

TEST_F(DriverTest, PrintsMessageBoxesWithTheirAnswers) {
  WriteFileBytes(dir / "Brindle.conf", "a.dat\r\n3\r\nu\r\np\r\n");
  const auto r = Drive("answer Yes\nstart\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"msgbox\":{\"text\":\"There is a pre-configuration saved. Do you wish to execute "
            "it?\",\"title\":\"Pre-configuration...\",\"buttons\":\"YesNo\",\"icon\":\"none\","
            "\"answer\":\"Yes\"}}\n");
}

TEST_F(DriverTest, ShowingTheMainWindowActivatesIt) {
  WriteFileBytes(dir / "Brindle.conf", "missing.dat\r\n\r\n\r\n\r\n");
  const auto r = Drive("start\nclick Command1\n");
  EXPECT_EQ(r.status, 0) << r.err;
  // The activation loaded the saved path, which is missing.
  EXPECT_NE(r.out.find("\"title\":\"File Path Error\""), std::string::npos) << r.out;
}

TEST_F(DriverTest, ControlsOutOfReachAreNotDelivered) {
  const auto r = Drive("start\nclick btnLoad\nclick btnExit2   # hidden\ntype txtFile x\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out,
            "{\"ignored\":\"click btnLoad: disabled\"}\n"
            "{\"ignored\":\"click btnExit2: disabled\"}\n"
            "{\"ignored\":\"type txtFile x: disabled\"}\n");  // main window not shown yet
}

TEST_F(DriverTest, TypeTakesTheRestOfTheLineBlanksAndHashesIncluded) {
  const auto r = Drive(
      "start\nclick Command1\nfocus txtAuth_pass\ntype txtAuth_pass  a # b \nfocus btnFile\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFileBytes(dir / "Brindle.conf"), "\r\n\r\n\r\n a # b \r\n");
}

TEST_F(DriverTest, DumpShowsBlankSlotsAsNullAndTextsAsUtf8) {
  const auto r = Drive("start\nclick Command1\ntype txtFile caf\xC3\xA9\ndump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"txtFile\":{\"text\":\"caf\xC3\xA9\",\"enabled\":true"),
            std::string::npos);
  EXPECT_NE(r.out.find("\"shown\":[\"frmBrindle\"],\"selectedCategories\":[]"), std::string::npos);
  EXPECT_NE(r.out.find("\"focus\":\"txtFile\",\"height\":7995"), std::string::npos);
}

TEST_F(DriverTest, DumpMasksThePasswordOneStarPerCharacter) {
  const auto r = Drive(
      "start\nclick Command1\ntype txtAuth_login caf\xC3\xA9\ntype txtAuth_pass p\xC3\xA4ss "
      "w\ndump\n");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\"txtAuth_pass\":{\"text\":\"******\",\"enabled\":true"), std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("ss w"), std::string::npos);
  EXPECT_NE(r.out.find("\"txtAuth_login\":{\"text\":\"caf\xC3\xA9\""), std::string::npos);
}

TEST_F(DriverTest, DumpWithNamesPrintsOnlyThoseItemsAsTheWholeDumpHasThem) {
  const auto r = Drive(
      "start\nclick Command1\nfocus txtAuth_pass\ntype txtAuth_pass pw\ndump\n"
      "dump focus txtAuth_pass Form1.Label1 Label1 # note\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string whole = r.out.substr(0, r.out.find('\n'));
  // A control's part of the whole dump, from the section ("controls" or "form1") it is in.
  const auto part = [&](const std::string& section, const std::string& name) {
    const auto at = whole.find("\"" + name + "\":{", whole.find("\"" + section + "\":{"));
    EXPECT_NE(at, std::string::npos) << name;
    const auto value = at + name.size() + 3;
    return whole.substr(value, whole.find('}', value) + 1 - value);
  };
  EXPECT_EQ(r.out.substr(whole.size() + 1),
            "{\"focus\":\"txtAuth_pass\",\"txtAuth_pass\":" + part("controls", "txtAuth_pass") +
                ",\"Form1.Label1\":" + part("form1", "Label1") +
                ",\"Label1\":" + part("controls", "Label1") + "}\n");
  EXPECT_NE(part("form1", "Label1"), part("controls", "Label1"));
}

TEST_F(DriverTest, UnknownCommandsAndControlsStopWithTheirLineNumber) {
  for (const auto& [script, message] : std::vector<std::pair<std::string, std::string>>{
           {"start\n\n# note\nfrobnicate\n", "line 4: unknown command: frobnicate\n"},
           {"start\nclick lblWarning\n", "line 2: no button to click: lblWarning\n"},
           {"start\ntype btnLoad x\n", "line 2: no text field: btnLoad\n"},
           {"answer Maybe\n", "line 1: answer must be Yes, No or OK: Maybe\n"},
           {"dump\n", "line 1: no window yet: the script must \"start\" first\n"},
           {"start\ndump txtFile txtFiel\n", "line 2: nothing to dump by the name txtFiel\n"}}) {
    const auto r = Drive(script);
    EXPECT_EQ(r.status, 2) << script;
    EXPECT_EQ(r.err, message) << script;
  }
}

TEST_F(DriverTest, AnAnswerThatDoesNotFitTheBoxIsAnError) {
  const auto r = Drive("start\nclick Command1\ntype txtFile x\nanswer Yes\nclick btnLoad\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("line 5: queued answer Yes does not fit", 0), 0u) << r.err;
}

TEST_F(DriverTest, CloseRunsTheCleanUpAndEndsTheScript) {
  std::filesystem::create_directory(dir / "tmp");
  WriteFileBytes(dir / "tmp" / "address.bkp", "x");
  const auto r = Drive("start\nclose\ndump\nnonsense\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "{\"ended\":true}\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "tmp" / "address.bkp"));
}

}  // namespace
}  // namespace brindle::test
