#pragma once
// An in-memory registry for tests: a tree of keys under the predefined roots,
// typed values kept as bytes (string data as UTF-16LE, as Windows keeps it, so
// that sizes match for the A and the W calls), the access rights of each open
// key, and the 32-bit and 64-bit views of HKEY_LOCAL_MACHINE\SOFTWARE. With
// separate views the 32-bit view lives, as on 64-bit Windows, under
// SOFTWARE\Wow6432Node; merged views are a system without that split.

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fault/fault_injector.h"
#include "platform/registry/registry.h"

namespace platform {

enum class RegistryViews { Separate, Merged };

class MemoryRegistry final : public IRegistry {
 public:
  explicit MemoryRegistry(RegistryViews views = RegistryViews::Separate);
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

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

  FaultInjector& Faults() { return faults_; }
  // Keys opened or created and not yet closed: callers must close every key.
  [[nodiscard]] std::size_t OpenKeyCount() const { return handles_.size(); }
  [[nodiscard]] std::size_t FlushCount() const { return flushes_; }

 private:
  struct Value {
    std::uint32_t type = kRegNone;
    std::vector<std::uint8_t> data;
  };
  struct Node {
    std::map<std::wstring, std::unique_ptr<Node>> children;  // by folded name
    std::map<std::wstring, Value> values;                    // by folded name
  };
  struct OpenKey {
    Node* node;
    std::uint32_t access;
  };

  RegStatus Open(const char* call, RegKey parent, const std::wstring& subKey, std::uint32_t access,
                 bool create, RegKey* result);
  RegStatus Query(const char* call, RegKey key, const std::wstring& name, bool narrow, std::uint32_t* type,
                  std::uint8_t* data, std::uint32_t* size);
  RegStatus Set(const char* call, RegKey key, const std::wstring& name, bool narrow, std::uint32_t type,
                const std::uint8_t* data, std::uint32_t size);
  RegStatus Delete(const char* call, RegKey key, const std::wstring& name);
  // The key behind a handle, with the access it was opened with; null if the
  // handle is neither a root nor open.
  const OpenKey* Find(RegKey key) const;

  RegistryViews views_;
  std::map<RegKey, OpenKey> roots_;
  std::vector<std::unique_ptr<Node>> rootNodes_;
  std::map<RegKey, OpenKey> handles_;
  RegKey nextHandle_ = 0x1000;
  std::size_t flushes_ = 0;
  FaultInjector faults_;
};

}  // namespace platform
