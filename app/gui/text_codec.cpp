#include "text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <stdexcept>

namespace brindle::gui {
namespace {

constexpr const char* kCodePage = "windows-1252";

QByteArray EncodeOrEmpty(QStringView text, bool* failed) {
  QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
  if (!encoder.isValid()) throw std::runtime_error("Qt has no Windows-1252 converter");
  QByteArray bytes = encoder.encode(text);
  *failed = encoder.hasError();
  return bytes;
}

}  // namespace

QString FromCp1252(std::string_view bytes) {
  QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
  if (!decoder.isValid()) throw std::runtime_error("Qt has no Windows-1252 converter");
  return decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string ToCp1252(const QString& text) {
  bool failed = false;
  QByteArray bytes = EncodeOrEmpty(text, &failed);
  if (!failed) return bytes.toStdString();
  // Rare path: something typed or pasted lies outside the code page. Encode one character
  // (surrogate pairs kept together) at a time so that only the offending ones are replaced.
  std::string out;
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype length = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    QByteArray one = EncodeOrEmpty(QStringView(text).mid(i, length), &failed);
    out += failed || one.size() != 1 ? std::string("?") : one.toStdString();
    i += length - 1;
  }
  return out;
}

}  // namespace brindle::gui
