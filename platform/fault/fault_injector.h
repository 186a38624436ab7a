#pragma once
// Fault injection for the in-memory platform stand-ins: a test names a call
// (its Win32 name, with or without the A/W suffix) and the code it must fail
// with, so that error paths are exercised rather than assumed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class FaultInjector {
 public:
  // Makes `operation` fail with `code`, after letting `skip` calls through,
  // for `times` calls (a negative count: for every later call).
  void Fail(std::string operation, std::int32_t code, int skip = 0, int times = -1);
  void Clear();

  // The code the current call of `operation` must fail with, if any.
  [[nodiscard]] std::optional<std::int32_t> Check(std::string_view operation);

 private:
  struct Fault {
    std::string operation;
    std::int32_t code;
    int skip;
    int times;
  };
  std::vector<Fault> faults_;
};

}  // namespace platform
