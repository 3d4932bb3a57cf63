#include <gtest/gtest.h>

#include "platform/code_page.h"

namespace brindle::platform {
namespace {

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToCodePage(CodePageToUtf8(all)), all);
}

TEST(Cp1252, ConvertsTheCodePagesOwnCharacters) {
  EXPECT_EQ(CodePageToUtf8("\x80 \xE9 \x9F"), "\xE2\x82\xAC \xC3\xA9 \xC5\xB8");
  EXPECT_EQ(Utf8ToCodePage("\xE2\x82\xAC \xC3\xA9"), "\x80 \xE9");
}

TEST(Cp1252, UnrepresentableOrBrokenUtf8BecomesAQuestionMark) {
  EXPECT_EQ(Utf8ToCodePage("a\xE4\xB8\xAD"
                           "b"),
            "a?b");
  EXPECT_EQ(Utf8ToCodePage("a\xC3"), "a?");
  EXPECT_EQ(Utf8ToCodePage("\xF0\x9F\x98\x80"), "?");
}

TEST(Cp1252, PathsAreNamedInUtf8) {
  EXPECT_EQ(PathFromText("/tmp/caf\xE9").string(), "/tmp/caf\xC3\xA9");
  EXPECT_EQ(TextFromPath(PathFromText("/tmp/caf\xE9")), "/tmp/caf\xE9");
}

}  // namespace
}  // namespace brindle::platform
