#include "address_file/dat_encoder.h"

#include "address_file/dat_codec.h"
#include "address_file/dat_format.h"

namespace brindle {

namespace fmt = dat_format;

void DatEncoder::Raw(const Bytes4& bytes) { out_.append(bytes.begin(), bytes.end()); }

void DatEncoder::Long(std::int32_t value) { Raw(EncodeInteger(value)); }

void DatEncoder::Short(int value) {
  const Bytes2 bytes = EncodeShort(static_cast<std::uint16_t>(value));
  out_.append(bytes.begin(), bytes.end());
}

void DatEncoder::Text(std::string_view text, TextLengthForm form) {
  const std::size_t n = text.size();
  if (form == TextLengthForm::kShortest) {
    if (n <= static_cast<std::size_t>(fmt::kMaxShortTextLength)) {
      out_.push_back(static_cast<char>(n));
      out_.append(text);
      return;
    }
    form = n <= static_cast<std::size_t>(fmt::kMaxTwoByteTextLength) ? TextLengthForm::kTwoBytes
                                                                     : TextLengthForm::kFourBytes;
  }
  out_.push_back(static_cast<char>(fmt::kLongTextMark));
  if (form == TextLengthForm::kTwoBytes) {
    Short(static_cast<int>(n));
  } else {
    Short(fmt::kFourByteLengthMark);
    Long(static_cast<std::int32_t>(n));
  }
  out_.append(text);
}

void DatEncoder::IntField(std::int32_t value) {
  Long(kIntType);
  Long(value);
}

void DatEncoder::TextField(std::string_view text) {
  Long(kTextType);
  Long(0);
  Text(text);
}

}  // namespace brindle
