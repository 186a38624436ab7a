#pragma once
// Conversions between wide text and the UTF-16LE bytes that Windows keeps in
// registry string data and binary records. wchar_t is 16 bits on Windows and
// 32 bits on Linux, so nothing here assumes its size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The UTF-16LE bytes of `text`, with a terminating zero unit when asked.
std::vector<std::uint8_t> EncodeUtf16Le(std::wstring_view text, bool withTerminator);

// The text held in `size` bytes of UTF-16LE, up to the first zero unit; an odd
// last byte is ignored. Unpaired surrogates on Linux become U+FFFD.
std::wstring DecodeUtf16Le(const std::uint8_t* data, std::size_t size);

// 8-bit text taken as Latin-1, the identity on the code page's ASCII range.
std::wstring WidenLatin1(std::string_view text);
// Wide text to Latin-1; characters beyond it become '?', as a lossy code-page
// conversion does.
std::string NarrowLatin1(std::wstring_view text);

}  // namespace platform
