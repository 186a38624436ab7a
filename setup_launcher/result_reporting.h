#pragma once
// The result exchange with the installation program and with whoever started
// the launcher: "RESULT_CODE" and "DESCRIPTION_RESULT_SETUP" under the result
// key (32-bit view of HKLM\SOFTWARE), and "ResultCode" in setup.log.

#include "platform/registry/registry.h"

inline constexpr const char* kResultKey = "SOFTWARE\\Pellacor\\Ombrix\\OBSetup";
inline constexpr const char* kResultCodeValue = "RESULT_CODE";
inline constexpr const char* kResultDescriptionValue = "DESCRIPTION_RESULT_SETUP";

// 0 when both values are gone (or were never there), -27 on failure.
int DeleteRegistryResultValues();
// Writes the code and its description under the result key, creating it:
// 0 or -27.
int WriteErrorCodeToRegistry(void* hInstance, int nCode);
int WriteErrorCodeToTheKey(platform::RegKey hKey, void* hInstance, int nCode);
// Replaces setup.log in `pchDirectory` with one holding only the result: 1 or 0.
int WriteResultCodeToSetupLog(const char* pchDirectory, const char* pchResultCode);
// The installation program's result: the value, or -3 when it cannot be read.
int GetRegistrySetupResultCode();
int GetSetupLogResultCode(const char* pchDirectory);
