#include "platform/registry/memory_registry.h"
#include "platform/registry/tests/registry_under_test.h"

namespace platform::testing {

RegistryUnderTest MakeRegistryUnderTest() {
  return RegistryUnderTest{std::make_unique<MemoryRegistry>(), "memory"};
}

}  // namespace platform::testing
