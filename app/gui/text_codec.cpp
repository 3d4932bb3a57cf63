#include "text_codec.h"

#include "platform/cp1252.h"

namespace brindle::gui {

// The view converts through the platform's one code-page codec, so that a text typed in the
// window becomes the same bytes as one given on the command line or read from a file.

QString FromCp1252(std::string_view bytes) {
  return QString::fromStdString(platform::Cp1252ToUtf8(bytes));
}

std::string ToCp1252(const QString& text) {
  return platform::Utf8ToCp1252(text.toUtf8().toStdString());
}

}  // namespace brindle::gui
