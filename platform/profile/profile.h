#pragma once
// The profile (ini) file port: the kernel32 calls the kit relies on to read
// and write one key of one section, with Windows' results. Contract, as the
// real calls behave: reading never fails (a missing file, section or key gives
// the default); a write returns false on failure and leaves the Windows error
// code for LastError(). Names of sections and keys ignore case; text is 8-bit
// in the A forms and wide in the W form, and files that are not Unicode hold
// 8-bit text.

#include <cstdint>

namespace platform {

class IProfile {
 public:
  virtual ~IProfile() = default;

  // GetPrivateProfileStringA with a section and a key (never null here):
  // copies the value, or the default when the file, section or key is missing,
  // into `buffer`, cut to fit and always terminated; returns the characters
  // copied without the terminator (size - 1 when the text was cut). Blanks
  // around the value and one pair of matching quotes are dropped; a null
  // default reads as empty.
  virtual std::uint32_t ReadStringA(const char* section, const char* key, const char* defaultValue,
                                    char* buffer, std::uint32_t size, const char* path) = 0;

  // WritePrivateProfileStringA / W: creates the file, the section or the key,
  // or replaces the value. A null value removes the key, a null key the whole
  // section. false on failure, with the Windows error code in LastError().
  [[nodiscard]] virtual bool WriteStringA(const char* section, const char* key, const char* value,
                                          const char* path) = 0;
  [[nodiscard]] virtual bool WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                                          const wchar_t* path) = 0;

  // GetLastError: meaningful right after a write that returned false.
  virtual std::uint32_t LastError() = 0;
};

}  // namespace platform
