#pragma once
// The profile file port over kernel32: each method is one Win32 call.

#include "platform/profile/profile.h"

namespace platform {

class Win32Profile final : public IProfile {
 public:
  std::uint32_t ReadStringA(const char* section, const char* key, const char* defaultValue, char* buffer,
                            std::uint32_t size, const char* path) override;
  bool WriteStringA(const char* section, const char* key, const char* value, const char* path) override;
  bool WriteStringW(const wchar_t* section, const wchar_t* key, const wchar_t* value,
                    const wchar_t* path) override;
  std::uint32_t LastError() override;
};

}  // namespace platform
