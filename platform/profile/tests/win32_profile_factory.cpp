#include <windows.h>

#include <string>

#include "platform/profile/tests/profile_under_test.h"
#include "platform/profile/win32_profile.h"

namespace platform::testing {

ProfileUnderTest MakeProfileUnderTest() {
  char temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof temp, temp);
  std::string base = length > 0 && length < sizeof temp ? std::string(temp, length) : std::string("C:\\");
  if (base.back() != '\\') base += '\\';
  // Wine reuses small process ids, so the time makes the name unique.
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long stamp = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  static int counter = 0;
  return ProfileUnderTest{std::make_unique<Win32Profile>(),
                          base + "KitProfile_" + std::to_string(GetCurrentProcessId()) + "_" +
                              std::to_string(stamp) + "_" + std::to_string(++counter),
                          [](const std::string& path) { return path; }};
}

}  // namespace platform::testing
