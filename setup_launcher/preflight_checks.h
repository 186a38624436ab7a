#pragma once
// The checks run before a command: administrative rights, the management
// agent, and free space on the drive of the temporary directory.

#include <cstdint>

inline constexpr std::uint32_t kPlatformWin32Windows = 1;
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

// The operating system's platform id (2: the NT family).
std::uint32_t GetPlatformID();
// 1 when the process has administrative rights, else 0.
int HaveAdminRights();
// 1 when the management agent is taken to be installed, else 0.
int IsOBMAInstalled();
// Free kilobytes on the drive of the temporary directory; throws -23 when it
// cannot tell.
std::uint32_t GetTempDriveFreeSpace();
// 1 when there is enough space for what setup.ini in `pchDirectory` asks for
// (or it asks for nothing), 0 when there is not; -23 passes through.
int CheckFreeDiskSpace(const char* pchDirectory);
