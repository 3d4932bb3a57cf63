#include "text_codec.h"

#include "platform/code_page.h"

namespace brindle::gui {

// The view converts through the platform's one code-page codec, so that a text typed in the
// window becomes the same bytes as one given on the command line or read from a file.

QString FromCodePage(std::string_view bytes) {
  return QString::fromStdString(platform::CodePageToUtf8(bytes));
}

std::string ToCodePage(const QString& text) {
  return platform::Utf8ToCodePage(text.toUtf8().toStdString());
}

}  // namespace brindle::gui
