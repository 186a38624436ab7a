// Behaviour of the in-memory registry that the contract suite cannot show on
// Wine: merged views, fault injection and the open-key count.

#include <gtest/gtest.h>

#include "platform/registry/memory_registry.h"

namespace platform {
namespace {

std::uint32_t ReadDword(IRegistry& reg, std::uint32_t access, const char* path) {
  RegKey key = 0;
  if (reg.OpenKeyA(kHKeyLocalMachine, path, 0, access, &key) != kErrorSuccess) return 0;
  std::uint32_t value = 0;
  std::uint32_t size = sizeof(value);
  const RegStatus status = reg.QueryValueA(key, "V", nullptr, reinterpret_cast<std::uint8_t*>(&value), &size);
  EXPECT_EQ(reg.CloseKey(key), kErrorSuccess);
  return status == kErrorSuccess ? value : 0;
}

void WriteDword(IRegistry& reg, std::uint32_t access, const char* path, std::uint32_t value) {
  RegKey key = 0;
  ASSERT_EQ(reg.CreateKeyA(kHKeyLocalMachine, path, 0, kKeyAllAccess | access, &key), kErrorSuccess);
  ASSERT_EQ(reg.SetValueA(key, "V", kRegDword, reinterpret_cast<const std::uint8_t*>(&value), 4), kErrorSuccess);
  ASSERT_EQ(reg.CloseKey(key), kErrorSuccess);
}

TEST(MemoryRegistry, MergedViewsAreOneTree) {
  MemoryRegistry reg(RegistryViews::Merged);
  WriteDword(reg, kKeyWow64_32Key, "SOFTWARE\\Vendor", 32);
  EXPECT_EQ(ReadDword(reg, kKeyRead | kKeyWow64_64Key, "SOFTWARE\\Vendor"), 32u);
  WriteDword(reg, kKeyWow64_64Key, "SOFTWARE\\Vendor", 64);
  EXPECT_EQ(ReadDword(reg, kKeyRead | kKeyWow64_32Key, "SOFTWARE\\Vendor"), 64u);
  EXPECT_EQ(ReadDword(reg, kKeyRead, "SOFTWARE\\Vendor"), 64u);
}

TEST(MemoryRegistry, ViewsOnlySplitMachineSoftware) {
  MemoryRegistry reg;
  WriteDword(reg, kKeyWow64_32Key, "SYSTEM\\Shared", 5);
  EXPECT_EQ(ReadDword(reg, kKeyRead | kKeyWow64_64Key, "SYSTEM\\Shared"), 5u);
  // A 32-bit program naming Wow6432Node itself is not redirected twice.
  WriteDword(reg, 0, "SOFTWARE\\Wow6432Node\\Direct", 9);
  EXPECT_EQ(ReadDword(reg, kKeyRead, "SOFTWARE\\Direct"), 9u);
}

TEST(MemoryRegistry, InjectedFaultsFailTheNamedCall) {
  MemoryRegistry reg;
  RegKey key = 0;
  ASSERT_EQ(reg.CreateKeyA(kHKeyLocalMachine, "SOFTWARE\\F", 0, kKeyAllAccess, &key), kErrorSuccess);

  // A base name covers both the A and the W call; out parameters stay as they were.
  reg.Faults().Fail("RegQueryValueEx", kErrorAccessDenied);
  std::uint32_t size = 77;
  EXPECT_EQ(reg.QueryValueA(key, "V", nullptr, nullptr, &size), kErrorAccessDenied);
  EXPECT_EQ(reg.QueryValueW(key, L"V", nullptr, nullptr, &size), kErrorAccessDenied);
  EXPECT_EQ(size, 77u);
  reg.Faults().Clear();
  EXPECT_EQ(reg.QueryValueA(key, "V", nullptr, nullptr, &size), kErrorFileNotFound);

  // Skip the first call, fail the second once, then succeed again.
  reg.Faults().Fail("RegOpenKeyExA", 1450, 1, 1);
  RegKey other = 0;
  EXPECT_EQ(reg.OpenKeyA(kHKeyLocalMachine, "SOFTWARE\\F", 0, kKeyRead, &other), kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(other), kErrorSuccess);
  EXPECT_EQ(reg.OpenKeyA(kHKeyLocalMachine, "SOFTWARE\\F", 0, kKeyRead, &other), 1450);
  EXPECT_EQ(reg.OpenKeyW(kHKeyLocalMachine, L"SOFTWARE\\F", 0, kKeyRead, &other), kErrorSuccess)
      << "an exact name does not cover the other form";
  EXPECT_EQ(reg.CloseKey(other), kErrorSuccess);
  EXPECT_EQ(reg.OpenKeyA(kHKeyLocalMachine, "SOFTWARE\\F", 0, kKeyRead, &other), kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(other), kErrorSuccess);

  reg.Faults().Fail("RegCloseKey", kErrorInvalidHandle, 0, 1);
  EXPECT_EQ(reg.CloseKey(key), kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(key), kErrorSuccess);
}

TEST(MemoryRegistry, CountsOpenKeysAndRejectsUnknownHandles) {
  MemoryRegistry reg;
  RegKey a = 0;
  RegKey b = 0;
  ASSERT_EQ(reg.CreateKeyW(kHKeyCurrentUser, L"Software\\A", 0, kKeyAllAccess, &a), kErrorSuccess);
  ASSERT_EQ(reg.OpenKeyW(kHKeyCurrentUser, L"Software\\A", 0, kKeyRead, &b), kErrorSuccess);
  EXPECT_NE(a, b);
  EXPECT_EQ(reg.OpenKeyCount(), 2u);
  EXPECT_EQ(reg.CloseKey(a), kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(a), kErrorInvalidHandle) << "a closed key is no longer a handle";
  EXPECT_EQ(reg.QueryValueW(a, L"V", nullptr, nullptr, nullptr), kErrorInvalidHandle);
  EXPECT_EQ(reg.CloseKey(b), kErrorSuccess);
  EXPECT_EQ(reg.OpenKeyCount(), 0u);
  EXPECT_EQ(reg.CloseKey(kHKeyLocalMachine), kErrorSuccess) << "roots are never really closed";
  EXPECT_EQ(reg.FlushKey(kHKeyLocalMachine), kErrorSuccess);
  EXPECT_EQ(reg.FlushCount(), 1u);
}

}  // namespace
}  // namespace platform
