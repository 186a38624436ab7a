#pragma once
// The launcher's run from start to exit code; the Windows entry point only
// installs the ports and calls it.

// Trace start, clearing of old results, parsing, help or commands, and the
// registry report of a failure. Returns the process exit code.
int KinetraWinMain(void* hInstance, const char* pchCmdLine);
// Shows the help box; throws -4 when the help strings are missing.
void DoHelp(void* hInstance);

inline constexpr unsigned kHelpTextId = 96;
inline constexpr unsigned kHelpCaptionId = 97;
