#pragma once
// The system the launcher runs on, as its logic sees it: one set of ports for
// the process, installed by the entry point (or by a test) before any command.

#include "platform/profile/profile.h"
#include "platform/registry/registry.h"
#include "setup_launcher/process_port.h"
#include "setup_launcher/system_port.h"

struct CLauncherPlatform {
  platform::IRegistry* pRegistry = nullptr;
  IProcessPort* pProcess = nullptr;
  ISystemPort* pSystem = nullptr;
  platform::IProfile* pProfile = nullptr;
};

void SetLauncherPlatform(const CLauncherPlatform& ports);
// The installed ports; using one that was never installed throws -25, the
// launcher's code for what should not happen.
platform::IRegistry& LauncherRegistry();
IProcessPort& LauncherProcess();
ISystemPort& LauncherSystem();
platform::IProfile& LauncherProfile();
