// The UTF-16LE conversions must give the same bytes whatever the size of wchar_t.

#include <gtest/gtest.h>

#include "platform/text/utf16le.h"

namespace platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Utf16Le, EncodesAndDecodes) {
  struct Case {
    std::wstring text;
    Bytes bytes;  // without the terminator
  };
  const Case cases[] = {
      {L"", {}},
      {L"A\\b", {'A', 0, '\\', 0, 'b', 0}},
      {L"\u00e9\u20ac", {0xE9, 0x00, 0xAC, 0x20}},
      {L"\U0001F600", {0x3D, 0xD8, 0x00, 0xDE}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeUtf16Le(c.text, false), c.bytes);
    Bytes terminated = c.bytes;
    terminated.push_back(0);
    terminated.push_back(0);
    EXPECT_EQ(EncodeUtf16Le(c.text, true), terminated);
    EXPECT_EQ(DecodeUtf16Le(terminated.data(), terminated.size()), c.text);
    EXPECT_EQ(DecodeUtf16Le(c.bytes.data(), c.bytes.size()), c.text) << "no terminator needed";
  }
}

TEST(Utf16Le, DecodeStopsAtZeroAndIgnoresAnOddByte) {
  const Bytes data = {'a', 0, 'b', 0, 0, 0, 'c', 0};
  EXPECT_EQ(DecodeUtf16Le(data.data(), data.size()), L"ab");
  const Bytes odd = {'a', 0, 'b'};
  EXPECT_EQ(DecodeUtf16Le(odd.data(), odd.size()), L"a");
  EXPECT_EQ(DecodeUtf16Le(nullptr, 10), L"");
}

TEST(Utf16Le, Latin1RoundTripAndLoss) {
  EXPECT_EQ(WidenLatin1("caf\xe9"), L"caf\u00e9");
  EXPECT_EQ(NarrowLatin1(L"caf\u00e9"), "caf\xe9");
  EXPECT_EQ(NarrowLatin1(L"\u20ac1"), "?1");
}

}  // namespace
}  // namespace platform
