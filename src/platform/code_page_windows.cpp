// The texts' code page on Windows: the system's ANSI code page, in which Palm Desktop wrote
// the user's address file (1250 on a Polish system, 1251 Russian, 1253 Greek, ...).
#include <windows.h>

#include "platform/code_page.h"

namespace brindle::platform {

namespace {

std::wstring Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = ::MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
  return wide;
}

bool IsSurrogatePair(std::wstring_view wide, std::size_t at) {
  return at + 1 < wide.size() && wide[at] >= 0xD800 && wide[at] <= 0xDBFF &&
         wide[at + 1] >= 0xDC00 && wide[at + 1] <= 0xDFFF;
}

// No 8-bit code page holds a character beyond the first 65536, and WideCharToMultiByte would
// turn each half of one into its own "?": one "?" per character, as for any other.
std::wstring OneUnitPerCharacter(std::wstring_view wide) {
  std::wstring units;
  units.reserve(wide.size());
  for (std::size_t i = 0; i < wide.size(); ++i) {
    if (IsSurrogatePair(wide, i)) {
      units += L'?';
      ++i;
    } else {
      units += wide[i];
    }
  }
  return units;
}

// The text in `codePage`; `lost` (when given) tells whether a character had to become "?".
std::string Narrow(UINT codePage, std::wstring_view original, bool* lost = nullptr) {
  if (lost) *lost = false;
  if (original.empty()) return {};
  // UTF-8 takes neither flags nor a replacement character, and loses nothing.
  const bool utf8 = codePage == CP_UTF8;
  const std::wstring units = utf8 ? std::wstring(original) : OneUnitPerCharacter(original);
  if (lost && units.size() != original.size()) *lost = true;
  const std::wstring_view wide = units;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used = FALSE;
  BOOL* usedDefault = utf8 ? nullptr : &used;
  const char* fallback = utf8 ? nullptr : "?";
  const int size = static_cast<int>(wide.size());
  const int n =
      ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, fallback, usedDefault);
  std::string text(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, flags, wide.data(), size, text.data(), n, fallback, usedDefault);
  if (lost && used != FALSE) *lost = true;
  return text;
}

}  // namespace

std::string CodePageToUtf8(std::string_view text) { return Narrow(CP_UTF8, Widen(CP_ACP, text)); }

std::string Utf8ToCodePage(std::string_view text) { return Narrow(CP_ACP, Widen(CP_UTF8, text)); }

bool IsControlByte(unsigned char byte) {
  const char c = static_cast<char>(byte);
  const std::wstring wide = Widen(CP_ACP, std::string_view(&c, 1));
  if (wide.size() != 1) return false;  // the first byte of a two-byte character
  const wchar_t cp = wide[0];
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

std::filesystem::path PathFromText(std::string_view text) {
  return std::filesystem::path(Widen(CP_ACP, text));
}

std::string TextFromPath(const std::filesystem::path& path) {
  return Narrow(CP_ACP, path.native());
}

std::optional<std::string> ExactTextFromPath(const std::filesystem::path& path) {
  bool lost = false;
  std::string text = Narrow(CP_ACP, path.native(), &lost);
  if (lost) return std::nullopt;
  return text;
}

std::string CodePageName() {
  const UINT acp = ::GetACP();
  return acp == CP_UTF8 ? "UTF-8" : "Windows-" + std::to_string(acp);
}

}  // namespace brindle::platform
