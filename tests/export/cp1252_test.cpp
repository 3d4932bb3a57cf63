#include "export/cp1252.h"

#include <gtest/gtest.h>

namespace brindle {
namespace {

TEST(Cp1252ToUtf8, AsciiLatin1AndTheWindowsRange) {
  EXPECT_EQ(Cp1252ToUtf8("plain"), "plain");
  EXPECT_EQ(Cp1252ToUtf8("Caf\xE9 M\xFCller \xFF"), "Caf\xC3\xA9 M\xC3\xBCller \xC3\xBF");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x8A\x99\x9F"),
            "\xE2\x82\xAC\xC5\xA0\xE2\x84\xA2\xC5\xB8");  // euro, S caron, trade mark, Y umlaut
  EXPECT_EQ(Cp1252ToUtf8(std::string("\x81\x00", 2)), std::string("\xC2\x81\x00", 3));
}

TEST(Cp1252ToUtf8, EveryByteGivesOneCharacter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  int characters = 0;
  for (char c : utf8) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  EXPECT_EQ(characters, 256);
}

}  // namespace
}  // namespace brindle
