#pragma once
// The registry port over advapi32: each method is one Win32 call.

#include "platform/registry/registry.h"

namespace platform {

class Win32Registry final : public IRegistry {
 public:
  RegStatus OpenKeyA(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                     RegKey* result) override;
  RegStatus OpenKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t options, std::uint32_t access,
                     RegKey* result) override;
  RegStatus CreateKeyA(RegKey parent, const char* subKey, std::uint32_t options, std::uint32_t access,
                       RegKey* result) override;
  RegStatus CreateKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t options, std::uint32_t access,
                       RegKey* result) override;
  RegStatus QueryValueA(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                        std::uint32_t* size) override;
  RegStatus QueryValueW(RegKey key, const wchar_t* name, std::uint32_t* type, std::uint8_t* data,
                        std::uint32_t* size) override;
  RegStatus SetValueA(RegKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                      std::uint32_t size) override;
  RegStatus SetValueW(RegKey key, const wchar_t* name, std::uint32_t type, const std::uint8_t* data,
                      std::uint32_t size) override;
  RegStatus DeleteValueA(RegKey key, const char* name) override;
  RegStatus DeleteValueW(RegKey key, const wchar_t* name) override;
  RegStatus FlushKey(RegKey key) override;
  RegStatus CloseKey(RegKey key) override;
};

}  // namespace platform
