#pragma once
// The profile file port on real files, for hosts without kernel32: reads and
// writes ini files the way the Windows calls do, as far as the kit relies on.
// Files are 8-bit (one byte per character, Latin-1 in wide calls) unless they
// start with the UTF-16LE byte order mark, which is then kept. Nothing is
// cached: every call reads the file anew, and a write rewrites it.

#include <cstdint>
#include <functional>
#include <string>

#include "platform/profile/profile.h"

namespace platform {

class PortableProfile final : public IProfile {
 public:
  // Turns the Windows path a caller passes into the host path to open;
  // identity by default.
  using PathMap = std::function<std::string(const std::string&)>;

  explicit PortableProfile(PathMap mapPath = {});

  std::uint32_t ReadStringA(const char* section, const char* key, const char* defaultValue, char* buffer,
                            std::uint32_t size, const char* path) override;
  bool WriteStringA(const char* section, const char* key, const char* value, const char* path) override;
  bool WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                    const wchar_t* path) override;
  std::uint32_t LastError() override;

 private:
  std::string HostPath(const std::string& windowsPath) const;
  bool Write(const std::u16string* section, const std::u16string* key, const std::u16string* value,
             const std::string& windowsPath);

  PathMap mapPath_;
  std::uint32_t lastError_ = 0;
};

}  // namespace platform
