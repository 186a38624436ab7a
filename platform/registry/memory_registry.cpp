#include "platform/registry/memory_registry.h"

#include <cstring>

#include "platform/text/utf16le.h"

namespace platform {

namespace {

// Registry names compare without regard to case.
std::wstring Fold(const std::wstring& name) {
  std::wstring folded = name;
  for (wchar_t& ch : folded) {
    if (ch >= L'A' && ch <= L'Z') ch = static_cast<wchar_t>(ch - L'A' + L'a');
  }
  return folded;
}

std::wstring FromA(const char* text) { return text == nullptr ? std::wstring() : WidenLatin1(text); }
std::wstring FromW(const wchar_t* text) { return text == nullptr ? std::wstring() : std::wstring(text); }

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (wchar_t ch : path) {
    if (ch == L'\\') {
      if (!part.empty()) parts.push_back(Fold(part));
      part.clear();
    } else {
      part.push_back(ch);
    }
  }
  if (!part.empty()) parts.push_back(Fold(part));
  return parts;
}

// The 8-bit form of stored UTF-16LE string data: one byte per unit, embedded
// zeros (REG_MULTI_SZ) kept.
std::vector<std::uint8_t> NarrowData(const std::vector<std::uint8_t>& wide) {
  std::vector<std::uint8_t> out;
  out.reserve(wide.size() / 2);
  for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
    const unsigned unit = wide[i] | (wide[i + 1] << 8);
    out.push_back(unit < 0x100 ? static_cast<std::uint8_t>(unit) : static_cast<std::uint8_t>('?'));
  }
  return out;
}

std::vector<std::uint8_t> WidenData(const std::uint8_t* data, std::uint32_t size) {
  std::vector<std::uint8_t> out;
  out.reserve(std::size_t{size} * 2);
  for (std::uint32_t i = 0; i < size; ++i) {
    out.push_back(data[i]);
    out.push_back(0);
  }
  return out;
}

const std::wstring kSoftware = L"software";
const std::wstring kWow6432Node = L"wow6432node";

}  // namespace

MemoryRegistry::MemoryRegistry(RegistryViews views) : views_(views) {
  for (RegKey root : {kHKeyClassesRoot, kHKeyCurrentUser, kHKeyLocalMachine, kHKeyUsers}) {
    rootNodes_.push_back(std::make_unique<Node>());
    roots_[root] = OpenKey{rootNodes_.back().get(), kKeyAllAccess};
  }
}

MemoryRegistry::~MemoryRegistry() = default;

const MemoryRegistry::OpenKey* MemoryRegistry::Find(RegKey key) const {
  if (auto root = roots_.find(key); root != roots_.end()) return &root->second;
  if (auto open = handles_.find(key); open != handles_.end()) return &open->second;
  return nullptr;
}

RegStatus MemoryRegistry::Open(const char* call, RegKey parent, const std::wstring& subKey,
                               std::uint32_t access, bool create, RegKey* result) {
  if (auto fault = faults_.Check(call)) return *fault;
  if (result == nullptr) return kErrorInvalidParameter;
  const OpenKey* start = Find(parent);
  if (start == nullptr) return kErrorInvalidHandle;

  std::vector<std::wstring> parts = SplitPath(subKey);
  // A 32-bit program's HKLM\SOFTWARE is redirected unless it asks for the
  // 64-bit view; a path below an already opened key is taken as it stands.
  const bool fromMachineRoot = start->node == roots_.at(kHKeyLocalMachine).node;
  if (views_ == RegistryViews::Separate && fromMachineRoot && !parts.empty() && parts[0] == kSoftware &&
      (access & kKeyWow64_64Key) == 0 && (parts.size() < 2 || parts[1] != kWow6432Node)) {
    parts.insert(parts.begin() + 1, kWow6432Node);
  }

  Node* node = start->node;
  for (const std::wstring& part : parts) {
    auto child = node->children.find(part);
    if (child == node->children.end()) {
      if (!create) return kErrorFileNotFound;
      child = node->children.emplace(part, std::make_unique<Node>()).first;
    }
    node = child->second.get();
  }
  const RegKey handle = nextHandle_;
  nextHandle_ += 4;
  handles_[handle] = OpenKey{node, access & ~(kKeyWow64_32Key | kKeyWow64_64Key)};
  *result = handle;
  return kErrorSuccess;
}

RegStatus MemoryRegistry::Query(const char* call, RegKey key, const std::wstring& name, bool narrow,
                                std::uint32_t* type, std::uint8_t* data, std::uint32_t* size) {
  if (auto fault = faults_.Check(call)) return *fault;
  const OpenKey* open = Find(key);
  if (open == nullptr) return kErrorInvalidHandle;
  if ((open->access & kKeyQueryValue) == 0) return kErrorAccessDenied;
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;

  auto found = open->node->values.find(Fold(name));
  if (found == open->node->values.end()) return kErrorFileNotFound;
  const Value& value = found->second;
  const std::vector<std::uint8_t> bytes =
      narrow && IsStringType(value.type) ? NarrowData(value.data) : value.data;
  const auto needed = static_cast<std::uint32_t>(bytes.size());

  if (data != nullptr && *size < needed) {
    *size = needed;
    if (type != nullptr) *type = value.type;
    return kErrorMoreData;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, bytes.data(), needed);
  if (size != nullptr) *size = needed;
  if (type != nullptr) *type = value.type;
  return kErrorSuccess;
}

RegStatus MemoryRegistry::Set(const char* call, RegKey key, const std::wstring& name, bool narrow,
                              std::uint32_t type, const std::uint8_t* data, std::uint32_t size) {
  if (auto fault = faults_.Check(call)) return *fault;
  const OpenKey* open = Find(key);
  if (open == nullptr) return kErrorInvalidHandle;
  if ((open->access & kKeySetValue) == 0) return kErrorAccessDenied;
  if (data == nullptr && size > 0) return kErrorInvalidParameter;

  Value value;
  value.type = type;
  if (size > 0) {
    value.data = narrow && IsStringType(type) ? WidenData(data, size)
                                              : std::vector<std::uint8_t>(data, data + size);
  }
  open->node->values[Fold(name)] = std::move(value);
  return kErrorSuccess;
}

RegStatus MemoryRegistry::Delete(const char* call, RegKey key, const std::wstring& name) {
  if (auto fault = faults_.Check(call)) return *fault;
  const OpenKey* open = Find(key);
  if (open == nullptr) return kErrorInvalidHandle;
  if ((open->access & kKeySetValue) == 0) return kErrorAccessDenied;
  return open->node->values.erase(Fold(name)) > 0 ? kErrorSuccess : kErrorFileNotFound;
}

RegStatus MemoryRegistry::OpenKeyA(RegKey parent, const char* subKey, std::uint32_t, std::uint32_t access,
                                   RegKey* result) {
  return Open("RegOpenKeyExA", parent, FromA(subKey), access, false, result);
}

RegStatus MemoryRegistry::OpenKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t, std::uint32_t access,
                                   RegKey* result) {
  return Open("RegOpenKeyExW", parent, FromW(subKey), access, false, result);
}

RegStatus MemoryRegistry::CreateKeyA(RegKey parent, const char* subKey, std::uint32_t, std::uint32_t access,
                                     RegKey* result) {
  return Open("RegCreateKeyExA", parent, FromA(subKey), access, true, result);
}

RegStatus MemoryRegistry::CreateKeyW(RegKey parent, const wchar_t* subKey, std::uint32_t,
                                     std::uint32_t access, RegKey* result) {
  return Open("RegCreateKeyExW", parent, FromW(subKey), access, true, result);
}

RegStatus MemoryRegistry::QueryValueA(RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                                      std::uint32_t* size) {
  return Query("RegQueryValueExA", key, FromA(name), true, type, data, size);
}

RegStatus MemoryRegistry::QueryValueW(RegKey key, const wchar_t* name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* size) {
  return Query("RegQueryValueExW", key, FromW(name), false, type, data, size);
}

RegStatus MemoryRegistry::SetValueA(RegKey key, const char* name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  return Set("RegSetValueExA", key, FromA(name), true, type, data, size);
}

RegStatus MemoryRegistry::SetValueW(RegKey key, const wchar_t* name, std::uint32_t type,
                                    const std::uint8_t* data, std::uint32_t size) {
  return Set("RegSetValueExW", key, FromW(name), false, type, data, size);
}

RegStatus MemoryRegistry::DeleteValueA(RegKey key, const char* name) {
  return Delete("RegDeleteValueA", key, FromA(name));
}

RegStatus MemoryRegistry::DeleteValueW(RegKey key, const wchar_t* name) {
  return Delete("RegDeleteValueW", key, FromW(name));
}

RegStatus MemoryRegistry::FlushKey(RegKey key) {
  if (auto fault = faults_.Check("RegFlushKey")) return *fault;
  if (Find(key) == nullptr) return kErrorInvalidHandle;
  ++flushes_;
  return kErrorSuccess;
}

RegStatus MemoryRegistry::CloseKey(RegKey key) {
  if (auto fault = faults_.Check("RegCloseKey")) return *fault;
  if (roots_.count(key) > 0) return kErrorSuccess;
  return handles_.erase(key) > 0 ? kErrorSuccess : kErrorInvalidHandle;
}

}  // namespace platform
