// What the kit's callers rely on of the registry, run unchanged against the
// in-memory tree (Linux) and against advapi32 (under Wine). When the two
// disagree, the in-memory tree is wrong.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/registry/tests/registry_under_test.h"
#include "platform/text/utf16le.h"

namespace platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes DwordBytes(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

Bytes AnsiBytes(const char* text) {
  return Bytes(reinterpret_cast<const std::uint8_t*>(text),
               reinterpret_cast<const std::uint8_t*>(text) + std::strlen(text) + 1);
}

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    under_ = testing::MakeRegistryUnderTest();
    reg_ = under_.registry.get();
    static int counter = 0;
    base_ = "SOFTWARE\\KitRegistryContract\\" + under_.runToken + "_" + std::to_string(++counter) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    wideBase_ = WidenLatin1(base_);
  }

  void TearDown() override {
    for (RegKey key : opened_) {
      EXPECT_EQ(reg_->CloseKey(key), kErrorSuccess) << "closing a key the test opened";
    }
  }

  // A key of this test's own, created with full access (and the given view).
  RegKey Scratch(const std::string& sub = "", std::uint32_t view = 0) {
    const std::string path = sub.empty() ? base_ : base_ + "\\" + sub;
    RegKey key = 0;
    const RegStatus status =
        reg_->CreateKeyA(kHKeyLocalMachine, path.c_str(), kRegOptionNonVolatile, kKeyAllAccess | view, &key);
    EXPECT_EQ(status, kErrorSuccess) << "RegCreateKeyExA(" << path << ")";
    return Keep(key);
  }

  RegKey Keep(RegKey key) {
    opened_.push_back(key);
    return key;
  }

  RegStatus OpenA(const std::string& sub, std::uint32_t access, RegKey* key) {
    const std::string path = sub.empty() ? base_ : base_ + "\\" + sub;
    const RegStatus status = reg_->OpenKeyA(kHKeyLocalMachine, path.c_str(), 0, access, key);
    if (status == kErrorSuccess) Keep(*key);
    return status;
  }

  void SetA(RegKey key, const char* name, std::uint32_t type, const Bytes& data) {
    ASSERT_EQ(reg_->SetValueA(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
              kErrorSuccess)
        << "RegSetValueExA(" << name << ")";
  }

  testing::RegistryUnderTest under_;
  IRegistry* reg_ = nullptr;
  std::string base_;
  std::wstring wideBase_;
  std::vector<RegKey> opened_;
};

TEST_F(RegistryContract, OpenAndCreate) {
  RegKey key = 0x55;
  EXPECT_EQ(reg_->OpenKeyA(kHKeyLocalMachine, (base_ + "\\Missing").c_str(), 0, kKeyRead, &key),
            kErrorFileNotFound)
      << "expected ERROR_FILE_NOT_FOUND for a missing key";
  EXPECT_EQ(key, RegKey{0x55}) << "a failed open must leave the result untouched";
  EXPECT_EQ(reg_->OpenKeyW(kHKeyLocalMachine, (wideBase_ + L"\\Missing").c_str(), 0, kKeyRead, &key),
            kErrorFileNotFound);

  // Creating a key creates every missing key above it.
  Scratch("A\\B\\C");
  RegKey found = 0;
  EXPECT_EQ(OpenA("A", kKeyRead, &found), kErrorSuccess);
  EXPECT_EQ(OpenA("A\\B", kKeyRead, &found), kErrorSuccess);
  EXPECT_EQ(OpenA("a\\b\\c", kKeyRead, &found), kErrorSuccess) << "key names ignore case";

  // Creating an existing key opens it; the wide form reaches the same key.
  RegKey again = 0;
  ASSERT_EQ(reg_->CreateKeyW(kHKeyLocalMachine, (wideBase_ + L"\\A\\B").c_str(), 0, kKeyAllAccess, &again),
            kErrorSuccess);
  Keep(again);
  SetA(again, "Marker", kRegDword, DwordBytes(7));
  RegKey viaA = 0;
  ASSERT_EQ(OpenA("A\\B", kKeyRead, &viaA), kErrorSuccess);
  EXPECT_EQ(reg_->QueryValueA(viaA, "Marker", nullptr, nullptr, nullptr), kErrorSuccess);

  // A path below an open key.
  RegKey parent = Scratch("A");
  RegKey child = 0;
  ASSERT_EQ(reg_->OpenKeyA(parent, "B\\C", 0, kKeyRead, &child), kErrorSuccess);
  Keep(child);
  ASSERT_EQ(reg_->CreateKeyA(parent, "D\\E", 0, kKeyAllAccess, &child), kErrorSuccess);
  Keep(child);
  EXPECT_EQ(OpenA("A\\D\\E", kKeyRead, &found), kErrorSuccess);
}

TEST_F(RegistryContract, QueryDwordWithBufferSizeOrNeither) {
  RegKey key = Scratch();
  SetA(key, "Value", kRegDword, DwordBytes(0xFFFFFFE9u));

  std::uint32_t type = 0;
  std::uint8_t buffer[4] = {};
  std::uint32_t size = sizeof(buffer);
  ASSERT_EQ(reg_->QueryValueA(key, "Value", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(Bytes(buffer, buffer + 4), DwordBytes(0xFFFFFFE9u));

  type = 0;
  size = 0;
  EXPECT_EQ(reg_->QueryValueW(key, L"value", &type, nullptr, &size), kErrorSuccess)
      << "a size without a buffer reports the size; value names ignore case";
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, kRegDword);

  EXPECT_EQ(reg_->QueryValueA(key, "Value", nullptr, nullptr, nullptr), kErrorSuccess);
  EXPECT_EQ(reg_->QueryValueW(key, L"Value", nullptr, nullptr, nullptr), kErrorSuccess);

  type = 99;
  size = 4;
  EXPECT_EQ(reg_->QueryValueA(key, "Absent", &type, buffer, &size), kErrorFileNotFound);
  EXPECT_EQ(reg_->QueryValueA(key, "Absent", nullptr, nullptr, nullptr), kErrorFileNotFound);
  EXPECT_EQ(reg_->QueryValueW(key, L"Absent", nullptr, nullptr, &size), kErrorFileNotFound);
}

TEST_F(RegistryContract, BufferTooSmallGivesMoreDataAndTheSize) {
  RegKey key = Scratch();
  const Bytes eight = {1, 2, 3, 4, 5, 6, 7, 8};
  SetA(key, "Wide", kRegQword, eight);
  SetA(key, "Text", kRegSz, AnsiBytes("12345"));

  std::uint8_t buffer[4] = {};
  std::uint32_t size = sizeof(buffer);
  std::uint32_t type = 0;
  EXPECT_EQ(reg_->QueryValueA(key, "Wide", &type, buffer, &size), kErrorMoreData)
      << "expected ERROR_MORE_DATA for 8 bytes into 4";
  EXPECT_EQ(size, 8u);

  size = sizeof(buffer);
  EXPECT_EQ(reg_->QueryValueA(key, "Text", nullptr, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 6u);
  size = sizeof(buffer);
  EXPECT_EQ(reg_->QueryValueW(key, L"Text", nullptr, buffer, &size), kErrorMoreData);
  EXPECT_EQ(size, 12u);
}

TEST_F(RegistryContract, StringSizesAreBytesWithTheTerminator) {
  RegKey key = Scratch();
  SetA(key, "Narrow", kRegSz, AnsiBytes("abc"));
  const Bytes wide = EncodeUtf16Le(L"caf\u00e9 \\x", true);
  ASSERT_EQ(reg_->SetValueW(key, L"Wide", kRegExpandSz, wide.data(), static_cast<std::uint32_t>(wide.size())),
            kErrorSuccess);

  struct Case {
    const char* name;
    bool wideCall;
    std::uint32_t type;
    Bytes expected;
  };
  const Case cases[] = {
      {"Narrow", false, kRegSz, AnsiBytes("abc")},
      {"Narrow", true, kRegSz, EncodeUtf16Le(L"abc", true)},
      {"Wide", true, kRegExpandSz, wide},
      {"Wide", false, kRegExpandSz, AnsiBytes("caf\xe9 \\x")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.wideCall ? " through the W call" : " through the A call"));
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const std::wstring wideName = WidenLatin1(c.name);
    ASSERT_EQ(c.wideCall ? reg_->QueryValueW(key, wideName.c_str(), &type, nullptr, &size)
                         : reg_->QueryValueA(key, c.name, &type, nullptr, &size),
              kErrorSuccess);
    EXPECT_EQ(size, c.expected.size()) << "size report";
    EXPECT_EQ(type, c.type);

    Bytes buffer(64, 0xCC);
    size = static_cast<std::uint32_t>(buffer.size());
    ASSERT_EQ(c.wideCall ? reg_->QueryValueW(key, wideName.c_str(), &type, buffer.data(), &size)
                         : reg_->QueryValueA(key, c.name, &type, buffer.data(), &size),
              kErrorSuccess);
    ASSERT_EQ(size, c.expected.size());
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + size), c.expected);
  }
}

TEST_F(RegistryContract, DeleteValue) {
  RegKey key = Scratch();
  EXPECT_EQ(reg_->DeleteValueA(key, "Absent"), kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteValueW(key, L"Absent"), kErrorFileNotFound);

  SetA(key, "Gone", kRegSz, AnsiBytes("x"));
  EXPECT_EQ(reg_->DeleteValueW(key, L"GONE"), kErrorSuccess);
  EXPECT_EQ(reg_->QueryValueA(key, "Gone", nullptr, nullptr, nullptr), kErrorFileNotFound);
  EXPECT_EQ(reg_->DeleteValueA(key, "Gone"), kErrorFileNotFound);
}

TEST_F(RegistryContract, SetReplacesAValueOfAnotherType) {
  RegKey key = Scratch();
  SetA(key, "Mixed", kRegSz, AnsiBytes("a long text value"));
  SetA(key, "Mixed", kRegDword, DwordBytes(3));

  std::uint32_t type = 0;
  std::uint8_t buffer[4] = {};
  std::uint32_t size = sizeof(buffer);
  ASSERT_EQ(reg_->QueryValueA(key, "Mixed", &type, buffer, &size), kErrorSuccess);
  EXPECT_EQ(type, kRegDword);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(Bytes(buffer, buffer + 4), DwordBytes(3));

  // The unnamed (default) value: null and empty names are the same value.
  SetA(key, nullptr, kRegSz, AnsiBytes("default"));
  size = 0;
  EXPECT_EQ(reg_->QueryValueA(key, "", nullptr, nullptr, &size), kErrorSuccess);
  EXPECT_EQ(size, 8u);
}

TEST_F(RegistryContract, AccessRightsOfAnOpenKey) {
  Scratch();
  RegKey readOnly = 0;
  ASSERT_EQ(OpenA("", kKeyRead, &readOnly), kErrorSuccess);
  const Bytes data = DwordBytes(1);
  EXPECT_EQ(reg_->SetValueA(readOnly, "X", kRegDword, data.data(), 4), kErrorAccessDenied)
      << "expected ERROR_ACCESS_DENIED writing through KEY_READ";
  EXPECT_EQ(reg_->DeleteValueA(readOnly, "X"), kErrorAccessDenied);

  RegKey writeOnly = 0;
  ASSERT_EQ(OpenA("", kKeySetValue, &writeOnly), kErrorSuccess);
  EXPECT_EQ(reg_->SetValueA(writeOnly, "X", kRegDword, data.data(), 4), kErrorSuccess);
  EXPECT_EQ(reg_->QueryValueA(writeOnly, "X", nullptr, nullptr, nullptr), kErrorAccessDenied);
  EXPECT_EQ(reg_->FlushKey(writeOnly), kErrorSuccess);
}

TEST_F(RegistryContract, QueryWithBufferButNoSizeIsInvalid) {
  RegKey key = Scratch();
  SetA(key, "V", kRegDword, DwordBytes(1));
  std::uint8_t buffer[4] = {};
  EXPECT_EQ(reg_->QueryValueA(key, "V", nullptr, buffer, nullptr), kErrorInvalidParameter);
}

TEST_F(RegistryContract, ThirtyTwoAndSixtyFourBitViewsAreSeparate) {
  RegKey v32 = Scratch("Views", kKeyWow64_32Key);
  SetA(v32, "Bits", kRegDword, DwordBytes(32));

  RegKey key = 0;
  EXPECT_EQ(OpenA("Views", kKeyRead | kKeyWow64_64Key, &key), kErrorFileNotFound)
      << "a key made in the 32-bit view must not appear in the 64-bit view";

  // Without a view flag a 32-bit program gets the 32-bit view.
  ASSERT_EQ(OpenA("Views", kKeyRead, &key), kErrorSuccess);
  std::uint8_t buffer[4] = {};
  std::uint32_t size = sizeof(buffer);
  ASSERT_EQ(reg_->QueryValueA(key, "Bits", nullptr, buffer, &size), kErrorSuccess);
  EXPECT_EQ(Bytes(buffer, buffer + 4), DwordBytes(32));

  // The 64-bit view keeps a value of its own under the same path.
  RegKey v64 = Scratch("Views", kKeyWow64_64Key);
  SetA(v64, "Bits", kRegDword, DwordBytes(64));
  for (auto [view, expected] : {std::pair{kKeyWow64_32Key, 32u}, std::pair{kKeyWow64_64Key, 64u}}) {
    ASSERT_EQ(OpenA("Views", kKeyRead | view, &key), kErrorSuccess);
    size = sizeof(buffer);
    ASSERT_EQ(reg_->QueryValueA(key, "Bits", nullptr, buffer, &size), kErrorSuccess);
    EXPECT_EQ(Bytes(buffer, buffer + 4), DwordBytes(expected)) << "view flag 0x" << std::hex << view;
  }

  // Seen from the 64-bit view, the 32-bit one sits under SOFTWARE\Wow6432Node.
  const std::string physical = "SOFTWARE\\Wow6432Node" + base_.substr(std::strlen("SOFTWARE")) + "\\Views";
  ASSERT_EQ(reg_->OpenKeyA(kHKeyLocalMachine, physical.c_str(), 0, kKeyRead | kKeyWow64_64Key, &key),
            kErrorSuccess);
  Keep(key);
  size = sizeof(buffer);
  ASSERT_EQ(reg_->QueryValueA(key, "Bits", nullptr, buffer, &size), kErrorSuccess);
  EXPECT_EQ(Bytes(buffer, buffer + 4), DwordBytes(32));
}

TEST_F(RegistryContract, CloseAndFlush) {
  RegKey key = Scratch();
  EXPECT_EQ(reg_->FlushKey(key), kErrorSuccess);
  RegKey extra = 0;
  ASSERT_EQ(reg_->OpenKeyA(kHKeyLocalMachine, base_.c_str(), 0, kKeyRead, &extra), kErrorSuccess);
  EXPECT_EQ(reg_->CloseKey(extra), kErrorSuccess);
}

}  // namespace
}  // namespace platform
