#include "platform/registry/win32_registry.h"

#include <windows.h>

namespace platform {

namespace {

static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
static_assert(sizeof(RegKey) == sizeof(HKEY));

HKEY ToHkey(RegKey key) {
  switch (key) {
    case kHKeyClassesRoot: return HKEY_CLASSES_ROOT;
    case kHKeyCurrentUser: return HKEY_CURRENT_USER;
    case kHKeyLocalMachine: return HKEY_LOCAL_MACHINE;
    case kHKeyUsers: return HKEY_USERS;
    default: return reinterpret_cast<HKEY>(key);
  }
}

// DWORD and std::uint32_t are distinct types on mingw: copy rather than
// alias, and leave the caller's values untouched where Windows does.
template <typename Query>
RegStatus QueryThroughDwords(std::uint32_t* type, std::uint32_t* size, Query query) {
  DWORD dwType = type != nullptr ? *type : 0;
  DWORD dwSize = size != nullptr ? *size : 0;
  const LONG status = query(type != nullptr ? &dwType : nullptr, size != nullptr ? &dwSize : nullptr);
  if (type != nullptr) *type = dwType;
  if (size != nullptr) *size = dwSize;
  return status;
}

}  // namespace

RegStatus Win32Registry::OpenKeyA(RegKey parent, const char* subKey, std::uint32_t options,
                                  std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExA(ToHkey(parent), subKey, options, access, &key);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(key);
  return status;
}

RegStatus Win32Registry::OpenKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t options,
                                  std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExW(ToHkey(parent), subKey, options, access, &key);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(key);
  return status;
}

RegStatus Win32Registry::CreateKeyA(RegKey parent, const char* subKey, std::uint32_t options,
                                    std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG status =
      RegCreateKeyExA(ToHkey(parent), subKey, 0, nullptr, options, access, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(key);
  return status;
}

RegStatus Win32Registry::CreateKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t options,
                                    std::uint32_t access, RegKey* result) {
  HKEY key = nullptr;
  const LONG status =
      RegCreateKeyExW(ToHkey(parent), subKey, 0, nullptr, options, access, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) *result = reinterpret_cast<RegKey>(key);
  return status;
}

RegStatus Win32Registry::QueryValueA(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                                     std::uint32_t* size) {
  return QueryThroughDwords(type, size, [&](DWORD* pType, DWORD* pSize) {
    return RegQueryValueExA(ToHkey(key), name, nullptr, pType, data, pSize);
  });
}

RegStatus Win32Registry::QueryValueW(RegKey key, const wchar_t* name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
  return QueryThroughDwords(type, size, [&](DWORD* pType, DWORD* pSize) {
    return RegQueryValueExW(ToHkey(key), name, nullptr, pType, data, pSize);
  });
}

RegStatus Win32Registry::SetValueA(RegKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                                   std::uint32_t size) {
  return RegSetValueExA(ToHkey(key), name, 0, type, data, size);
}

RegStatus Win32Registry::SetValueW(RegKey key, const wchar_t* name, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t size) {
  return RegSetValueExW(ToHkey(key), name, 0, type, data, size);
}

RegStatus Win32Registry::DeleteValueA(RegKey key, const char* name) {
  return RegDeleteValueA(ToHkey(key), name);
}

RegStatus Win32Registry::DeleteValueW(RegKey key, const wchar_t* name) {
  return RegDeleteValueW(ToHkey(key), name);
}

RegStatus Win32Registry::FlushKey(RegKey key) { return RegFlushKey(ToHkey(key)); }

RegStatus Win32Registry::CloseKey(RegKey key) { return RegCloseKey(ToHkey(key)); }

}  // namespace platform
