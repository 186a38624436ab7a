#include <chrono>
#include <filesystem>

#include <unistd.h>

#include "platform/profile/portable_profile.h"
#include "platform/profile/tests/profile_under_test.h"

namespace platform::testing {

namespace {

constexpr char kDrive[] = "C:\\";

// As the callers' own tests do: "C:\dir\file" becomes <host root>/dir/file.
std::string MapToHost(const std::string& hostRoot, const std::string& windowsPath) {
  std::string rest = windowsPath.rfind(kDrive, 0) == 0 ? windowsPath.substr(sizeof kDrive - 1) : windowsPath;
  for (char& ch : rest) {
    if (ch == '\\') ch = '/';
  }
  return hostRoot + "/" + rest;
}

// This process's own directory under the host's temporary one, removed at exit.
struct HostRoot {
  HostRoot() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path = std::filesystem::temp_directory_path() /
           ("kit_profile_" + std::to_string(getpid()) + "_" + std::to_string(stamp));
    std::filesystem::create_directories(path);
  }
  ~HostRoot() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::filesystem::path path;
};

}  // namespace

ProfileUnderTest MakeProfileUnderTest() {
  static const HostRoot hostRoot;
  auto map = [](const std::string& path) { return MapToHost(hostRoot.path.string(), path); };
  static int counter = 0;
  return ProfileUnderTest{std::make_unique<PortableProfile>(map), "C:\\KitProfile_" + std::to_string(++counter),
                          map};
}

}  // namespace platform::testing
