#include "setup_launcher/launcher_platform.h"

#include "setup_launcher/error_codes.h"

namespace {

constinit CLauncherPlatform g_ports{};

template <typename Port>
Port& Require(Port* pPort) {
  if (pPort == nullptr) throw static_cast<int>(KINETRA_UNHANDLED_EXCEPTION);
  return *pPort;
}

}  // namespace

void SetLauncherPlatform(const CLauncherPlatform& ports) { g_ports = ports; }

platform::IRegistry& LauncherRegistry() { return Require(g_ports.pRegistry); }
IProcessPort& LauncherProcess() { return Require(g_ports.pProcess); }
ISystemPort& LauncherSystem() { return Require(g_ports.pSystem); }
platform::IProfile& LauncherProfile() { return Require(g_ports.pProfile); }
