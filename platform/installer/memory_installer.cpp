#include "platform/installer/memory_installer.h"

#include <algorithm>
#include <cwchar>
#include <functional>
#include <utility>

namespace platform {

namespace {

inline constexpr std::uint32_t kMaxRecordFields = 65535;
inline constexpr std::uint32_t kMessageTypeMask = 0xFF000000;
// The message types that become log lines: error, warning, user and info.
inline constexpr std::uint32_t kLoggedMessageTypes[] = {0x01000000, 0x02000000, 0x03000000, kInstallMessageInfo};

wchar_t FoldChar(wchar_t ch) { return ch >= L'a' && ch <= L'z' ? static_cast<wchar_t>(ch - L'a' + L'A') : ch; }

// Paths, product codes and upgrade codes compare without regard to case.
std::wstring Fold(std::wstring_view text) {
  std::wstring folded(text);
  std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar);
  return folded;
}

bool IsHexDigit(wchar_t ch) {
  return (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F');
}

bool IsBracedGuid(std::wstring_view code) {
  if (code.size() != 38 || code.front() != L'{' || code.back() != L'}') return false;
  for (std::size_t i = 1; i + 1 < code.size(); ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? code[i] != L'-' : !IsHexDigit(code[i])) return false;
  }
  return true;
}

std::wstring FileName(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring Directory(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool CountsAsRemoved(MsiStatus status) {
  return status == kMsiSuccess || status == kMsiSuccessRebootInitiated || status == kMsiSuccessRebootRequired;
}

// Copies `text` into a caller's buffer of `*length` characters the way
// msi.dll does: the length reported never counts the terminator, and a
// buffer without room for it gives 234. `truncate` fills a short buffer with
// what fits (MsiGetPropertyW); otherwise it is left alone (MsiGetProductInfoW).
MsiStatus CopyOut(const std::wstring& text, wchar_t* buffer, std::uint32_t* length, bool truncate) {
  const auto needed = static_cast<std::uint32_t>(text.size());
  if (buffer == nullptr) {
    if (length != nullptr) *length = needed;
    return kMsiSuccess;
  }
  if (*length > needed) {
    std::wmemcpy(buffer, text.data(), needed);
    buffer[needed] = L'\0';
    *length = needed;
    return kMsiSuccess;
  }
  if (truncate && *length > 0) {
    std::wmemcpy(buffer, text.data(), *length - 1);
    buffer[*length - 1] = L'\0';
  }
  *length = needed;
  return kMsiMoreData;
}

// PROPERTY=VALUE pairs separated by blanks; a value may be quoted, with ""
// standing for one quote inside it. False when the line does not parse.
bool ParseCommandLine(std::wstring_view line, std::map<std::wstring, std::wstring>& properties) {
  std::size_t pos = 0;
  while (true) {
    while (pos < line.size() && (line[pos] == L' ' || line[pos] == L'\t')) ++pos;
    if (pos == line.size()) return true;
    const std::size_t equals = line.find(L'=', pos);
    if (equals == std::wstring_view::npos || equals == pos) return false;
    std::wstring name(line.substr(pos, equals - pos));
    if (name.find_first_of(L" \t") != std::wstring::npos) return false;
    pos = equals + 1;
    std::wstring value;
    if (pos < line.size() && line[pos] == L'"') {
      ++pos;
      while (true) {
        if (pos == line.size()) return false;
        if (line[pos] == L'"') {
          if (pos + 1 < line.size() && line[pos + 1] == L'"') {
            value.push_back(L'"');
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        value.push_back(line[pos++]);
      }
    } else {
      while (pos < line.size() && line[pos] != L' ' && line[pos] != L'\t') value.push_back(line[pos++]);
    }
    properties[std::move(name)] = std::move(value);
  }
}

using Resolver = std::function<std::wstring(const std::wstring&)>;

// Expands a message template from `pos`: inside brackets up to the closing
// one (`nested`), else to the end. False when the brackets do not pair up,
// in which case the installer logs the template as it stands.
bool Expand(std::wstring_view text, std::size_t& pos, bool nested, const Resolver& resolve, std::wstring& out) {
  while (pos < text.size()) {
    const wchar_t ch = text[pos++];
    if (ch == L'[') {
      if (pos < text.size() && text[pos] == L'\\') {
        // [\c] is the character c, whatever else stands before the ']'.
        ++pos;
        if (pos == text.size()) return false;
        const wchar_t escaped = text[pos++];
        const std::size_t close = text.find(L']', pos);
        if (close == std::wstring_view::npos) {
          if (escaped != L']') return false;
          continue;  // "[\]": the ']' closed it and nothing is written
        }
        pos = close + 1;
        out.push_back(escaped);
        continue;
      }
      std::wstring key;
      if (!Expand(text, pos, true, resolve, key)) return false;
      out += resolve(key);
    } else if (ch == L']') {
      return nested;
    } else {
      out.push_back(ch);
    }
  }
  return !nested;
}

}  // namespace

MemoryInstaller::MemoryInstaller() = default;
MemoryInstaller::~MemoryInstaller() = default;

const MemoryInstaller::Session* MemoryInstaller::FindSession(MsiHandle install) const {
  auto found = sessions_.find(install);
  return found == sessions_.end() ? nullptr : &found->second;
}

MemoryInstaller::Session* MemoryInstaller::FindSession(MsiHandle install) {
  auto found = sessions_.find(install);
  return found == sessions_.end() ? nullptr : &found->second;
}

std::vector<MemoryInstaller::Product>::iterator MemoryInstaller::FindProduct(std::wstring_view productCode) {
  const std::wstring folded = Fold(productCode);
  return std::find_if(products_.begin(), products_.end(),
                      [&](const Product& product) { return Fold(product.package.productCode) == folded; });
}

std::vector<MemoryInstaller::Product>::const_iterator MemoryInstaller::FindProduct(
    std::wstring_view productCode) const {
  const std::wstring folded = Fold(productCode);
  return std::find_if(products_.begin(), products_.end(),
                      [&](const Product& product) { return Fold(product.package.productCode) == folded; });
}

MsiStatus MemoryInstaller::GetPropertyW(MsiHandle install, const wchar_t* name, wchar_t* value,
                                        std::uint32_t* length) {
  if (auto fault = faults_.Check("MsiGetPropertyW")) return static_cast<MsiStatus>(*fault);
  const Session* session = FindSession(install);
  if (session == nullptr) return kMsiInvalidHandle;
  if (name == nullptr || (value != nullptr && length == nullptr)) return kMsiInvalidParameter;
  auto found = session->properties.find(name);
  return CopyOut(found == session->properties.end() ? std::wstring() : found->second, value, length, true);
}

MsiStatus MemoryInstaller::SetPropertyW(MsiHandle install, const wchar_t* name, const wchar_t* value) {
  if (auto fault = faults_.Check("MsiSetPropertyW")) return static_cast<MsiStatus>(*fault);
  Session* session = FindSession(install);
  if (session == nullptr) return kMsiInvalidHandle;
  if (name == nullptr) return kMsiInvalidParameter;
  if (*name == L'\0') return kMsiFunctionFailed;
  if (value == nullptr || *value == L'\0') {
    session->properties.erase(name);
  } else {
    session->properties[name] = value;
  }
  return kMsiSuccess;
}

MsiHandle MemoryInstaller::CreateRecord(std::uint32_t fieldCount) {
  if (faults_.Check("MsiCreateRecord")) return 0;
  if (fieldCount > kMaxRecordFields) return 0;
  const MsiHandle handle = nextHandle_++;
  records_[handle] = std::vector<std::wstring>(std::size_t{fieldCount} + 1);
  return handle;
}

MsiStatus MemoryInstaller::RecordSetStringW(MsiHandle record, std::uint32_t field, const wchar_t* value) {
  if (auto fault = faults_.Check("MsiRecordSetStringW")) return static_cast<MsiStatus>(*fault);
  auto found = records_.find(record);
  if (found == records_.end()) return kMsiInvalidHandle;
  if (field >= found->second.size()) return kMsiInvalidField;
  found->second[field] = value == nullptr ? std::wstring() : std::wstring(value);
  return kMsiSuccess;
}

std::wstring MemoryInstaller::Formatted(const Session& session, const std::vector<std::wstring>& fields) const {
  std::wstring line;
  if (fields[0].empty()) {
    // No template: the installer lists the fields.
    for (std::size_t i = 1; i < fields.size(); ++i) line += std::to_wstring(i) + L": " + fields[i] + L" ";
    return line;
  }
  const Resolver resolve = [&](const std::wstring& key) -> std::wstring {
    if (key.empty()) return std::wstring();
    if (std::all_of(key.begin(), key.end(), [](wchar_t ch) { return ch >= L'0' && ch <= L'9'; })) {
      const std::size_t digits = key.find_first_not_of(L'0');
      if (digits == std::wstring::npos) return fields[0];  // [0] is the template itself
      if (key.size() - digits > 5) return std::wstring();
      const std::size_t index = std::stoul(key.substr(digits));
      return index < fields.size() ? fields[index] : std::wstring();
    }
    if (key == L"~") return std::wstring(1, L'\0');
    // Files, components, environment variables: none in here.
    if (key.front() == L'#' || key.front() == L'!' || key.front() == L'$' || key.front() == L'%') {
      return std::wstring();
    }
    auto property = session.properties.find(key);
    return property == session.properties.end() ? std::wstring() : property->second;
  };
  std::size_t pos = 0;
  if (!Expand(fields[0], pos, false, resolve, line)) return fields[0];
  // The log is written as a C string: an embedded null ends the line.
  return line.substr(0, line.find(L'\0'));
}

std::int32_t MemoryInstaller::ProcessMessage(MsiHandle install, std::uint32_t messageType, MsiHandle record) {
  if (auto fault = faults_.Check("MsiProcessMessage")) return *fault;
  Session* session = FindSession(install);
  auto fields = records_.find(record);
  // Windows documents -1 for a bad handle (Wine answers 6); no caller looks.
  if (session == nullptr || fields == records_.end()) return -1;
  const std::uint32_t type = messageType & kMessageTypeMask;
  if (std::find(std::begin(kLoggedMessageTypes), std::end(kLoggedMessageTypes), type) !=
      std::end(kLoggedMessageTypes)) {
    session->log.push_back(Formatted(*session, fields->second));
  }
  return 0;
}

MsiStatus MemoryInstaller::CloseHandle(MsiHandle handle) {
  if (auto fault = faults_.Check("MsiCloseHandle")) return static_cast<MsiStatus>(*fault);
  if (handle == 0) return kMsiSuccess;
  if (records_.erase(handle) > 0 || sessions_.erase(handle) > 0) return kMsiSuccess;
  return kMsiInvalidHandle;
}

MsiStatus MemoryInstaller::SetMode(MsiHandle install, std::uint32_t runMode, bool state) {
  if (auto fault = faults_.Check("MsiSetMode")) return static_cast<MsiStatus>(*fault);
  Session* session = FindSession(install);
  // Windows answers 6 for a bad handle; Wine answers 0.
  if (session == nullptr) return kMsiInvalidHandle;
  if (runMode == kMsiRunModeRebootAtEnd) {
    session->rebootAtEnd = state;
  } else if (runMode == kMsiRunModeRebootNow) {
    session->rebootNow = state;
  } else {
    return kMsiAccessDenied;
  }
  return kMsiSuccess;
}

MsiStatus MemoryInstaller::EnumRelatedProductsW(const wchar_t* upgradeCode, std::uint32_t index,
                                                wchar_t* productCode) {
  if (auto fault = faults_.Check("MsiEnumRelatedProductsW")) return static_cast<MsiStatus>(*fault);
  if (upgradeCode == nullptr || productCode == nullptr) return kMsiInvalidParameter;
  const std::wstring folded = Fold(upgradeCode);
  std::uint32_t seen = 0;
  for (const Product& product : products_) {
    if (product.package.upgradeCode.empty() || Fold(product.package.upgradeCode) != folded) continue;
    if (seen++ == index) {
      // The caller's buffer holds a braced code and no more, whatever a test registered.
      const std::wstring code = product.package.productCode.substr(0, kProductCodeChars - 1);
      std::wmemcpy(productCode, code.c_str(), code.size() + 1);
      return kMsiSuccess;
    }
  }
  return kMsiNoMoreItems;
}

MsiStatus MemoryInstaller::GetProductInfoW(const wchar_t* productCode, const wchar_t* property, wchar_t* value,
                                           std::uint32_t* length) {
  if (auto fault = faults_.Check("MsiGetProductInfoW")) return static_cast<MsiStatus>(*fault);
  if (productCode == nullptr || property == nullptr || !IsBracedGuid(productCode)) return kMsiInvalidParameter;
  if (value != nullptr && length == nullptr) return kMsiInvalidParameter;
  auto product = FindProduct(productCode);
  if (product == products_.end()) return kMsiUnknownProduct;
  auto found = product->info.find(property);
  if (found == product->info.end()) return kMsiUnknownProperty;
  return CopyOut(found->second, value, length, false);
}

std::uint32_t MemoryInstaller::SetInternalUI(std::uint32_t uiLevel) {
  ++uiCalls_;
  if (auto fault = faults_.Check("MsiSetInternalUI")) return static_cast<std::uint32_t>(*fault);
  const std::uint32_t previous = uiLevel_;
  // Wine takes any other level as it is given.
  if (uiLevel != kInstallUiLevelNoChange) uiLevel_ = uiLevel;
  return previous;
}

MsiStatus MemoryInstaller::RecordCall(const char* operation, const wchar_t* target, const wchar_t* commandLine,
                                      MsiStatus result) {
  calls_.push_back(MemoryProductCall{operation, target == nullptr ? std::wstring() : std::wstring(target),
                                     commandLine == nullptr ? std::wstring() : std::wstring(commandLine),
                                     result});
  return result;
}

MsiStatus MemoryInstaller::ConfigureProductExW(const wchar_t* productCode, std::int32_t, std::int32_t installState,
                                               const wchar_t* commandLine) {
  static constexpr char kCall[] = "MsiConfigureProductExW";
  if (auto fault = faults_.Check(kCall)) {
    return RecordCall(kCall, productCode, commandLine, static_cast<MsiStatus>(*fault));
  }
  if (productCode == nullptr || !IsBracedGuid(productCode)) {
    return RecordCall(kCall, productCode, commandLine, kMsiInvalidParameter);
  }
  auto product = FindProduct(productCode);
  if (product == products_.end()) return RecordCall(kCall, productCode, commandLine, kMsiUnknownProduct);
  // Other states reconfigure features, which are not modelled.
  if (installState != kInstallStateAbsent) return RecordCall(kCall, productCode, commandLine, kMsiSuccess);
  const MsiStatus result = product->package.normalRemovalResult;
  if (CountsAsRemoved(result)) Uninstall(product);
  return RecordCall(kCall, productCode, commandLine, result);
}

MsiStatus MemoryInstaller::InstallProductW(const wchar_t* packagePath, const wchar_t* commandLine) {
  static constexpr char kCall[] = "MsiInstallProductW";
  if (auto fault = faults_.Check(kCall)) {
    return RecordCall(kCall, packagePath, commandLine, static_cast<MsiStatus>(*fault));
  }
  if (packagePath == nullptr) return RecordCall(kCall, packagePath, commandLine, kMsiInvalidParameter);
  auto package = packages_.find(Fold(packagePath));
  // Wine answers 2 for a package that is not there (Windows documents 1619).
  if (package == packages_.end()) return RecordCall(kCall, packagePath, commandLine, kMsiFileNotFound);
  std::map<std::wstring, std::wstring> properties;
  if (!ParseCommandLine(commandLine == nullptr ? L"" : commandLine, properties)) {
    return RecordCall(kCall, packagePath, commandLine, kMsiInvalidCommandLine);
  }
  // Copies, since Install and Uninstall change packages_.
  const MemoryPackage what = package->second;
  auto product = FindProduct(what.productCode);
  auto remove = properties.find(L"REMOVE");
  if (remove != properties.end() && remove->second == L"ALL") {
    if (product != products_.end()) Uninstall(product);
  } else if (product == products_.end()) {
    Install(packagePath, what);
  }
  return RecordCall(kCall, packagePath, commandLine, kMsiSuccess);
}

void MemoryInstaller::Install(const std::wstring& path, const MemoryPackage& package) {
  const std::wstring cached = L"C:\\windows\\Installer\\" + std::to_wstring(nextCacheName_++) + L".msi";
  packages_[Fold(cached)] = package;
  Product product{package, {}};
  product.info[L"VersionString"] = package.version;
  product.info[L"LocalPackage"] = cached;
  product.info[L"PackageName"] = FileName(path);
  product.info[L"InstallSource"] = Directory(path);
  product.info[L"ProductName"] = package.productName;
  products_.push_back(std::move(product));
}

void MemoryInstaller::Uninstall(std::vector<Product>::iterator product) {
  packages_.erase(Fold(product->info[L"LocalPackage"]));
  products_.erase(product);
}

MsiHandle MemoryInstaller::OpenSession() {
  const MsiHandle handle = nextHandle_++;
  sessions_[handle] = Session{};
  return handle;
}

std::wstring MemoryInstaller::Property(MsiHandle install, std::wstring_view name) const {
  const Session* session = FindSession(install);
  if (session == nullptr) return std::wstring();
  auto found = session->properties.find(std::wstring(name));
  return found == session->properties.end() ? std::wstring() : found->second;
}

std::vector<std::wstring> MemoryInstaller::LogLines(MsiHandle install) const {
  const Session* session = FindSession(install);
  return session == nullptr ? std::vector<std::wstring>() : session->log;
}

bool MemoryInstaller::RebootAtEnd(MsiHandle install) const {
  const Session* session = FindSession(install);
  return session != nullptr && session->rebootAtEnd;
}

void MemoryInstaller::AddPackage(const std::wstring& path, MemoryPackage package) {
  packages_[Fold(path)] = std::move(package);
}

bool MemoryInstaller::CopyPackage(const std::wstring& from, const std::wstring& to) {
  auto source = packages_.find(Fold(from));
  if (source == packages_.end()) return false;
  MemoryPackage copy = source->second;
  packages_[Fold(to)] = std::move(copy);
  return true;
}

bool MemoryInstaller::RemovePackage(const std::wstring& path) { return packages_.erase(Fold(path)) > 0; }

bool MemoryInstaller::HasPackage(const std::wstring& path) const { return packages_.count(Fold(path)) > 0; }

void MemoryInstaller::AddInstalledProduct(const std::wstring& path, MemoryPackage package) {
  AddPackage(path, package);
  if (FindProduct(package.productCode) == products_.end()) Install(path, package);
}

bool MemoryInstaller::IsInstalled(std::wstring_view productCode) const {
  return FindProduct(productCode) != products_.end();
}

bool MemoryInstaller::SetProductInfo(std::wstring_view productCode, const std::wstring& property,
                                     std::wstring value) {
  auto product = FindProduct(productCode);
  if (product == products_.end()) return false;
  product->info[property] = std::move(value);
  return true;
}

}  // namespace platform
