#pragma once
// Runs one command line as a child process and waits for it.

#include <cstdint>

// The child's exit code as a signed value, -2 when it could not be started,
// -24 when it outlived `dwMilliseconds` and was killed. Throws -1 for a null
// command line. `pchCommandLine` must be writable; a null directory inherits
// the launcher's.
int LaunchAndWait(char* pchCommandLine, const char* pchCurrentDirectory, std::uint32_t dwMilliseconds);
