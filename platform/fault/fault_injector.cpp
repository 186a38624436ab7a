#include "platform/fault/fault_injector.h"

#include <utility>

namespace platform {

namespace {

// "RegOpenKeyEx" names both RegOpenKeyExA and RegOpenKeyExW.
bool Matches(std::string_view registered, std::string_view operation) {
  if (registered == operation) return true;
  if (operation.size() != registered.size() + 1) return false;
  const char suffix = operation.back();
  return (suffix == 'A' || suffix == 'W') && operation.substr(0, registered.size()) == registered;
}

}  // namespace

void FaultInjector::Fail(std::string operation, std::int32_t code, int skip, int times) {
  faults_.push_back(Fault{std::move(operation), code, skip, times});
}

void FaultInjector::Clear() { faults_.clear(); }

std::optional<std::int32_t> FaultInjector::Check(std::string_view operation) {
  for (Fault& fault : faults_) {
    if (fault.times == 0 || !Matches(fault.operation, operation)) continue;
    if (fault.skip > 0) {
      --fault.skip;
      continue;
    }
    if (fault.times > 0) --fault.times;
    return fault.code;
  }
  return std::nullopt;
}

}  // namespace platform
