#pragma once
// The launcher's failures: negative codes, returned or thrown as a plain int
// that only WinMain catches.

enum KinetraError : int {
  KINETRA_INVALID_CMDLINE = -1,
  KINETRA_LAUNCH_FAILED = -2,
  KINETRA_NO_RESULT_CODE = -3,
  KINETRA_OVERFLOW = -4,
  KINETRA_UNINSTALL_STRING_UNREADABLE = -10,
  KINETRA_UNINSTALL_LAUNCH_FAILED = -11,
  KINETRA_OBMA_DETECTED = -20,
  KINETRA_NO_ADMIN_RIGHTS = -22,
  KINETRA_NOT_ENOUGH_DISK_SPACE = -23,
  KINETRA_TIMEOUT_ELAPSED = -24,
  KINETRA_UNHANDLED_EXCEPTION = -25,
  KINETRA_UNINSTALL_KEY_NOT_FOUND = -26,
  KINETRA_REPORT_FAILED = -27,
};

// The program's string table: LoadStringA semantics (the text cut to fit the
// buffer and always terminated; its length, 0 when the string is missing).
class IStringResources {
 public:
  virtual ~IStringResources() = default;
  virtual int LoadText(void* hInstance, unsigned uId, char* pchBuffer, int cchBufferMax) = 0;
};

// The string table built into the logic, with the same ids and texts as the
// program's resources; used where no other is installed.
class BuiltinStringResources final : public IStringResources {
 public:
  int LoadText(void* hInstance, unsigned uId, char* pchBuffer, int cchBufferMax) override;
  // The text of a string id, or null.
  static const char* Find(unsigned uId);
};

// Installs the string table that GetErrorDescription loads from (null: the
// built-in one). The entry point installs the program's resources.
void SetStringResources(IStringResources* pResources);

// Loads string `uId` from the installed string table (LoadStringA semantics).
int LoadStringResource(void* hInstance, unsigned uId, char* pchBuffer, int cchBufferMax);

// Loads the description of `nCode` into pchResult: 1 when the code is known
// and its string was loaded, otherwise 0.
int GetErrorDescription(void* hInstance, int nCode, char* pchResult, int cchBufferMax);
