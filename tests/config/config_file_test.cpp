#include "config/config_file.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

using Lines = std::vector<std::string>;

TEST(ConfigFile, ReadsLinesWhateverTheirEnding) {
  EXPECT_EQ(ParseConfigLines(""), Lines{});
  EXPECT_EQ(ParseConfigLines("a, b\r\n\r\n c \r\n\"d"), (Lines{"a, b", "", " c ", "\"d"}));
  EXPECT_EQ(ParseConfigLines("a\nb\rc\r\n"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(ParseConfigLines("\r\n"), (Lines{""}));
}

TEST(ConfigFile, KeepsFourValuesInTheirPlaces) {
  EXPECT_EQ(FirstFourValues({"p", "c"}), (ConfigValues{"p", "c", "", ""}));
  EXPECT_EQ(FirstFourValues({"1", "2", "3", "4", "5"}), (ConfigValues{"1", "2", "3", "4"}));
  EXPECT_EQ(FormatConfig({"", "", "tarn", ""}), "\r\n\r\ntarn\r\n\r\n");
  const ConfigValues values{"C:\\a, b\\address.dat", "2 5 0", "u", " p,w\""};
  EXPECT_EQ(FirstFourValues(ParseConfigLines(FormatConfig(values))), values);
}

TEST(ConfigFile, KeysAreExact) {
  EXPECT_EQ(ConfigSlot("DatPath"), 0u);
  EXPECT_EQ(ConfigSlot("Category"), 1u);
  EXPECT_EQ(ConfigSlot("User"), 2u);
  EXPECT_EQ(ConfigSlot("Passwd"), 3u);
  EXPECT_EQ(ConfigSlot("passwd"), std::nullopt);
  EXPECT_EQ(ConfigSlot(""), std::nullopt);
  EXPECT_FALSE(StorableConfigValue("a\rb"));
  EXPECT_FALSE(StorableConfigValue("a\nb"));
  EXPECT_TRUE(StorableConfigValue(" a,\"b "));
}

TEST(ConfigFile, SplitsSavedCategoriesAtEverySingleBlank) {
  EXPECT_EQ(SplitSavedCategories(""), Lines{});
  EXPECT_EQ(SplitSavedCategories("2 5 0"), (Lines{"2", "5", "0"}));
  EXPECT_EQ(SplitSavedCategories("3  7"), (Lines{"3", "", "7"}));
}

}  // namespace
}  // namespace brindle
