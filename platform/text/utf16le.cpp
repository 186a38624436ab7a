#include "platform/text/utf16le.h"

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void PushUnit(std::vector<std::uint8_t>& out, char16_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

}  // namespace

std::vector<std::uint8_t> EncodeUtf16Le(std::wstring_view text, bool withTerminator) {
  std::vector<std::uint8_t> out;
  out.reserve((text.size() + 1) * 2);
  for (wchar_t ch : text) {
    if constexpr (sizeof(wchar_t) == 2) {
      PushUnit(out, static_cast<char16_t>(ch));
    } else {
      char32_t cp = static_cast<char32_t>(ch);
      if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = kReplacement;
      if (cp >= 0x10000) {
        cp -= 0x10000;
        PushUnit(out, static_cast<char16_t>(0xD800 + (cp >> 10)));
        PushUnit(out, static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
      } else {
        PushUnit(out, static_cast<char16_t>(cp));
      }
    }
  }
  if (withTerminator) PushUnit(out, 0);
  return out;
}

std::wstring DecodeUtf16Le(const std::uint8_t* data, std::size_t size) {
  std::wstring out;
  if (data == nullptr) return out;
  const std::size_t units = size / 2;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t unit = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    if (unit == 0) break;
    if constexpr (sizeof(wchar_t) == 2) {
      out.push_back(static_cast<wchar_t>(unit));
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      const char16_t low = static_cast<char16_t>(data[2 * i + 2] | (data[2 * i + 3] << 8));
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        ++i;
      } else {
        out.push_back(static_cast<wchar_t>(kReplacement));
      }
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(kReplacement));
    } else {
      out.push_back(static_cast<wchar_t>(unit));
    }
  }
  return out;
}

std::wstring WidenLatin1(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (char ch : text) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(ch)));
  return out;
}

std::string NarrowLatin1(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t ch : text) {
    const auto cp = static_cast<std::uint32_t>(ch);
    out.push_back(cp < 0x100 ? static_cast<char>(cp) : '?');
  }
  return out;
}

}  // namespace platform
