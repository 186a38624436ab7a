#pragma once
// The command loop: every installation and uninstallation of the command
// line, in order, with the checks before each and the pause between them.

#include <cstdint>

// 0 after all commands (whatever they gave), -22 when the rights check fails.
int DoInstUninst(const char* pchSetupDirectory);
// One installation: its result code read back, or a negative error code.
int KinetraProgram(const char* pchSetupDirectory, const char* pchSetupExeName, const char* pchArguments,
                   std::uint32_t dwTimeout, int bCheckDiskSpace, int bCheckOBMA);
// One uninstallation through the product's registered uninstall command.
int RunProductUninstallation(const char* pchProductName, std::uint32_t dwTimeout);
