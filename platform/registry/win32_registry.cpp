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

DWORD* Dw(std::uint32_t* value) { return reinterpret_cast<DWORD*>(value); }

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
  return RegQueryValueExA(ToHkey(key), name, nullptr, Dw(type), data, Dw(size));
}

RegStatus Win32Registry::QueryValueW(RegKey key, const wchar_t* name, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* size) {
  return RegQueryValueExW(ToHkey(key), name, nullptr, Dw(type), data, Dw(size));
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
