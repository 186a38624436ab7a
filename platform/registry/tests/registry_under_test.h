#pragma once
// The registry the contract suite runs against: the in-memory tree on Linux,
// advapi32 when the suite is built for Windows.

#include <memory>
#include <string>

#include "platform/registry/registry.h"

namespace platform::testing {

struct RegistryUnderTest {
  std::unique_ptr<IRegistry> registry;
  // Distinguishes this run's keys from those of earlier runs in one prefix.
  std::string runToken;
};

RegistryUnderTest MakeRegistryUnderTest();

}  // namespace platform::testing
