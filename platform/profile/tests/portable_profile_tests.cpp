// What PortableProfile does where the contract suite cannot compare it with
// Windows: its own path mapping and the limits of its 8-bit host paths.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/profile/portable_profile.h"

namespace platform {
namespace {

class PortableProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    dir_ = std::filesystem::temp_directory_path() / ("kit_portable_profile_" + std::to_string(stamp));
    ASSERT_TRUE(std::filesystem::create_directories(dir_));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  std::string Host(const char* name) const { return (dir_ / name).string(); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  std::filesystem::path dir_;
};

TEST_F(PortableProfileTest, OpensTheMappedPathOrThePathItself) {
  std::string asked;
  PortableProfile mapped([&](const std::string& path) {
    asked = path;
    return Host("mapped.ini");
  });
  ASSERT_TRUE(mapped.WriteStringW(L"launcher", L"k", L"v", L"C:\\app\\launcher.ini"));
  EXPECT_EQ(asked, "C:\\app\\launcher.ini");
  EXPECT_EQ(Contents(Host("mapped.ini")), "[launcher]\r\nk=v\r\n");
  char buffer[8];
  EXPECT_EQ(mapped.ReadStringA("launcher", "k", "", buffer, sizeof buffer, "C:\\other\\name.ini"), 1u);
  EXPECT_STREQ(buffer, "v");

  PortableProfile plain;
  ASSERT_TRUE(plain.WriteStringA("S", "k", "1", Host("plain.ini").c_str()));
  EXPECT_EQ(Contents(Host("plain.ini")), "[S]\r\nk=1\r\n");
}

TEST_F(PortableProfileTest, EightBitLimits) {
  PortableProfile profile;
  // Text beyond Latin-1 becomes '?' in an 8-bit file, once per character.
  const std::string narrowPath = Host("narrow.ini");
  const std::wstring path(narrowPath.begin(), narrowPath.end());
  ASSERT_TRUE(profile.WriteStringW(L"S", L"k", L"a\u03a9\U0001F600b", path.c_str()));
  EXPECT_EQ(Contents(Host("narrow.ini")), "[S]\r\nk=a??b\r\n");

  // A path beyond Latin-1 names no host file: ERROR_INVALID_NAME.
  EXPECT_FALSE(profile.WriteStringW(L"S", L"k", L"v", (path + L"\u03a9").c_str()));
  EXPECT_EQ(profile.LastError(), 123u);
  EXPECT_FALSE(profile.WriteStringA(nullptr, "k", "v", Host("x.ini").c_str()));
  EXPECT_EQ(profile.LastError(), 87u) << "a section is needed";
}

}  // namespace
}  // namespace platform
