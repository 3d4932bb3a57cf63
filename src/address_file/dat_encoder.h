// The one writer of the address file's encodings (see dat_format.h): the sample files and the
// tests' files are composed item by item through it, into bytes the reader decodes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "address_file/dat_types.h"

namespace brindle {

// The form of a text's length: the shortest that holds it (as Palm Desktop writes it), or one
// forced, which a reader must accept as well.
enum class TextLengthForm { kShortest, kTwoBytes, kFourBytes };

// Appends encoded items to a byte string.
class DatEncoder {
 public:
  // Type words of typed fields, as Palm Desktop 4.1.4 writes them; the reader never checks them.
  static constexpr std::int32_t kIntType = 1;
  static constexpr std::int32_t kTextType = 5;

  explicit DatEncoder(std::string& out) : out_(out) {}

  void Raw(const Bytes4& bytes);
  void Long(std::int32_t value);
  void Short(int value);
  // REQUIRES: a forced form holds the text (two bytes: up to 65,533 characters).
  void Text(std::string_view text, TextLengthForm form = TextLengthForm::kShortest);
  void IntField(std::int32_t value);
  void TextField(std::string_view text);

 private:
  std::string& out_;
};

}  // namespace brindle
