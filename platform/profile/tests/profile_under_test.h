#pragma once
// The profile port the contract suite runs against: PortableProfile on real
// files on Linux, kernel32 when the suite is built for Windows.

#include <functional>
#include <memory>
#include <string>

#include "platform/profile/profile.h"

namespace platform::testing {

struct ProfileUnderTest {
  std::unique_ptr<IProfile> profile;
  // A Windows path, without a trailing backslash, under which this run may
  // make directories; it does not exist yet. Unique to this run.
  std::string root;
  // The host path at which the test itself reads and writes a file that it
  // names to the profile by its Windows path.
  std::function<std::string(const std::string&)> hostPath;
};

ProfileUnderTest MakeProfileUnderTest();

}  // namespace platform::testing
