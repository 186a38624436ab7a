#pragma once
// The registry port: the advapi32 registry calls the kit relies on, one
// method per call, in 8-bit (A) and UTF-16 (W) forms, with Windows' result
// codes. Contract, as the real calls behave: every method returns the Win32
// code (0 on success); out parameters are left untouched on failure, except
// the size of a query that fails with 234 (ERROR_MORE_DATA), which reports the
// size needed. Data is bytes and sizes are in bytes; the string data of the W
// calls is UTF-16LE (see platform/text/utf16le.h).

#include <cstdint>

namespace platform {

// An open key or a predefined root. Its value means nothing to the logic.
using RegKey = std::uintptr_t;
using RegStatus = std::int32_t;

// Named apart from windows.h, whose macros take the Win32 names.
inline constexpr RegKey kHKeyClassesRoot = 0x80000000u;
inline constexpr RegKey kHKeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHKeyLocalMachine = 0x80000002u;
inline constexpr RegKey kHKeyUsers = 0x80000003u;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
// View flags: without one, a 32-bit program gets the 32-bit view of
// HKEY_LOCAL_MACHINE\SOFTWARE.
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

inline constexpr std::uint32_t kRegOptionNonVolatile = 0;

inline constexpr RegStatus kErrorSuccess = 0;
inline constexpr RegStatus kErrorFileNotFound = 2;
inline constexpr RegStatus kErrorAccessDenied = 5;
inline constexpr RegStatus kErrorInvalidHandle = 6;
inline constexpr RegStatus kErrorInvalidParameter = 87;
inline constexpr RegStatus kErrorMoreData = 234;

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // RegOpenKeyEx: 2 when the key does not exist.
  [[nodiscard]] virtual RegStatus OpenKeyA(RegKey parent, const char* subKey, std::uint32_t options,
                                           std::uint32_t access, RegKey* result) = 0;
  [[nodiscard]] virtual RegStatus OpenKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t options,
                                           std::uint32_t access, RegKey* result) = 0;

  // RegCreateKeyEx with no class and no security attributes: opens the key,
  // creating it and any missing key above it.
  [[nodiscard]] virtual RegStatus CreateKeyA(RegKey parent, const char* subKey, std::uint32_t options,
                                             std::uint32_t access, RegKey* result) = 0;
  [[nodiscard]] virtual RegStatus CreateKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t options,
                                             std::uint32_t access, RegKey* result) = 0;

  // RegQueryValueEx. `type`, `data` and `size` may each be null: a size
  // without a buffer reports the size, neither only tests existence.
  [[nodiscard]] virtual RegStatus QueryValueA(RegKey key, const char* name, std::uint32_t* type,
                                              std::uint8_t* data, std::uint32_t* size) = 0;
  [[nodiscard]] virtual RegStatus QueryValueW(RegKey key, const wchar_t* name, std::uint32_t* type,
                                              std::uint8_t* data, std::uint32_t* size) = 0;

  // RegSetValueEx: replaces a value of any type.
  [[nodiscard]] virtual RegStatus SetValueA(RegKey key, const char* name, std::uint32_t type,
                                            const std::uint8_t* data, std::uint32_t size) = 0;
  [[nodiscard]] virtual RegStatus SetValueW(RegKey key, const wchar_t* name, std::uint32_t type,
                                            const std::uint8_t* data, std::uint32_t size) = 0;

  // RegDeleteValue: 2 when the value was absent.
  [[nodiscard]] virtual RegStatus DeleteValueA(RegKey key, const char* name) = 0;
  [[nodiscard]] virtual RegStatus DeleteValueW(RegKey key, const wchar_t* name) = 0;

  [[nodiscard]] virtual RegStatus FlushKey(RegKey key) = 0;
  [[nodiscard]] virtual RegStatus CloseKey(RegKey key) = 0;
};

}  // namespace platform
