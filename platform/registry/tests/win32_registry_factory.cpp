#include <windows.h>

#include "platform/registry/tests/registry_under_test.h"
#include "platform/registry/win32_registry.h"

namespace platform::testing {

RegistryUnderTest MakeRegistryUnderTest() {
  // Wine reuses small process ids, so the start time makes the token unique.
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const unsigned long long stamp = (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return RegistryUnderTest{std::make_unique<Win32Registry>(),
                           std::to_string(GetCurrentProcessId()) + "_" + std::to_string(stamp)};
}

}  // namespace platform::testing
