#include "platform/profile/win32_profile.h"

#include <windows.h>

namespace platform {

static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

std::uint32_t Win32Profile::ReadStringA(const char* section, const char* key, const char* defaultValue,
                                        char* buffer, std::uint32_t size, const char* path) {
  return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, path);
}

bool Win32Profile::WriteStringA(const char* section, const char* key, const char* value, const char* path) {
  return WritePrivateProfileStringA(section, key, value, path) != FALSE;
}

bool Win32Profile::WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                const wchar_t* path) {
  return WritePrivateProfileStringW(section, key, value, path) != FALSE;
}

std::uint32_t Win32Profile::LastError() { return GetLastError(); }

}  // namespace platform
