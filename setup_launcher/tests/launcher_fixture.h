#pragma once
// The launcher's logic over in-memory ports: the trace collected from the
// debugger output, an in-memory registry, fake processes and system, and a
// real ini reader and writer working in the trace fake's temporary tree.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/profile/portable_profile.h"
#include "platform/registry/memory_registry.h"
#include "setup_launcher/launcher_platform.h"
#include "setup_launcher/tests/fake_launcher_ports.h"
#include "setup_launcher/tests/fake_trace_platform.h"
#include "setup_launcher/trace/trace_log.h"

class LauncherTest : public ::testing::Test {
 public:
  LauncherTest() : profile([this](const std::string& path) { return trace.HostPath(path).string(); }) {}

  void SetUp() override {
    ResetTraceLog();
    SetTracePlatform(&trace);
    system.hostPath = [this](const std::string& path) { return trace.HostPath(path).string(); };
    SetLauncherPlatform(CLauncherPlatform{&registry, &process, &system, &profile});
    // Inside the process-wide scope, so that every function's lines are written.
    processScope = std::make_unique<TraceScope>("*\n");
  }

  void TearDown() override {
    processScope.reset();
    SetLauncherPlatform(CLauncherPlatform{});
  }

  bool Traced(const std::string& text) const { return trace.debugOutput.find(text) != std::string::npos; }

  FakeTracePlatform trace;
  platform::MemoryRegistry registry;
  FakeProcessPort process;
  FakeSystemPort system;
  platform::PortableProfile profile;
  std::unique_ptr<TraceScope> processScope;
};

// Runs `body` and gives the int it threw, or nothing.
template <typename Body>
std::optional<int> ThrownCode(Body body) {
  try {
    body();
  } catch (int nCode) {
    return nCode;
  }
  return std::nullopt;
}
