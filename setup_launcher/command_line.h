#pragma once
// The launcher's command line: items introduced by '/' or '-' and a
// case-insensitive specifier name, each followed by free text that belongs to
// it. ParseCmdLine splits a writable copy of the command line into items and
// fills the option record; the command loop then walks the items.
//
// Spans never own or copy text: they point into the caller's NUL-terminated
// copy of the command line (or at a constant string), which must outlive them.
// Failures: -1 for an invalid command line (returned); -4 for a capacity, an
// index or a memory failure (thrown as a plain int).

#include <cstdint>

// Item types: the row of the specifier table. The command loop runs the items
// of type 4 and 5.
enum CmdLineItemType : int {
  CMDLINE_CHECKADMIN = 0,        // "CHECKADMIN"
  CMDLINE_CHECKOBMA = 1,         // "CHECKOBMA"
  CMDLINE_HELP = 2,              // "?"
  CMDLINE_TIMEOUT = 3,           // "TIMEOUT:"
  CMDLINE_INSTALLSHIELD = 4,     // "INSTALLSHIELD"
  CMDLINE_UNINSTALLSHIELD = 5,   // "UNINSTALLSHIELD"
  CMDLINE_NOCHECKDISKSPACE = 6,  // "NOCHECKDISKSPACE"
  CMDLINE_COMMANDPAUSE = 7,      // "COMMANDPAUSE:"
};

// A non-owning span of 8-bit characters; never NUL-terminated by itself. The
// trimming operations only move the start and shorten the length; a space is
// 0x20 only, a quote 0x22 only.
class CCmdLineParam {
 public:
  CCmdLineParam() = default;
  CCmdLineParam(const char* pchData, std::uint32_t dwLength) : pchData(pchData), dwLength(dwLength) {}

  void set(const char* pchNewData, std::uint32_t dwNewLength) {
    pchData = pchNewData;
    dwLength = dwNewLength;
  }
  const char* data() const { return pchData; }
  std::uint32_t length() const { return dwLength; }

  // Copies min(length, uSize) characters (stopping early at a NUL) and
  // terminates them: pchBuffer must hold uSize + 1 bytes.
  void ConvertToString(char* pchBuffer, unsigned uSize) const;

  void ShiftLeadingSpaces();
  void ShiftTrailingSpaces();
  void ShiftLeadingAndTrailingSpaces();
  // Drops at most one quote from each end, each end on its own.
  void ShiftQuotes();

 private:
  const char* pchData = nullptr;
  std::uint32_t dwLength = 0;
};

class CCmdLineOptions;

// One specifier occurrence: its type, its raw text (everything between the
// specifier name and the next item) and the parameters its parser derives.
class CCmdLineItem {
 public:
  static constexpr std::uint16_t kMaxParamCount = 160;

  CCmdLineItem() = default;
  explicit CCmdLineItem(int nItemType) : nType(nItemType) {}
  CCmdLineItem(int nItemType, const CCmdLineParam& text) : nType(nItemType), paramText(text) {}

  // Throws -4 when kMaxParamCount parameters are already held.
  void AddParameter(const char* pchText, int nLength);
  // Throws -4 for an index not below GetParameterCount().
  CCmdLineParam GetParameter(std::uint16_t wParamIndex) const;
  int GetType() const { return nType; }
  std::uint16_t GetParameterCount() const { return wParamCount; }
  const CCmdLineParam& GetText() const { return paramText; }

  // Applies the item to the options or derives its parameters: 0 or -1.
  int ParseParameters(CCmdLineOptions& options);

 private:
  int ParseCheckAdminParameters(CCmdLineOptions& options);
  int ParseCheckOBMAParameters(CCmdLineOptions& options);
  int ParseHelpParameters(CCmdLineOptions& options);
  int ParseTimeoutParameters(CCmdLineOptions& options);
  int ParseInstParameters(CCmdLineOptions& options);
  int ParseUninstParameters(CCmdLineOptions& options);
  int ParseNoCheckDiskSpaceParameters(CCmdLineOptions& options);
  int ParseCommandPauseParameters(CCmdLineOptions& options);

  int nType = -1;
  CCmdLineParam paramText;
  std::uint16_t wParamCount = 0;
  CCmdLineParam aParams[kMaxParamCount];
};

// The parsed command line, in command-line order. Large (640 items of 160
// parameters each): keep it static, never on the stack.
class CCmdLine {
 public:
  static constexpr std::uint16_t kMaxItemCount = 640;

  CCmdLine();
  CCmdLine(const CCmdLine&) = delete;
  CCmdLine& operator=(const CCmdLine&) = delete;

  // Both forms return 1 and throw -4 when kMaxItemCount items are held.
  int AddCmdLineItem(int nItemType, const char* pchText, int nLength);
  // One parameter per argument; a NULL argument gives an empty parameter.
  int AddCmdLineItem(int nItemType, std::uint16_t wArgc, const char** ppchArgv);

  // Throws -4 for an index not below GetItemCount().
  CCmdLineItem& GetCmdLineItem(std::uint16_t wItemIndex);
  const CCmdLineItem& GetCmdLineItem(std::uint16_t wItemIndex) const;
  std::uint16_t GetItemCount() const { return wItemCount; }
  // The number of items of type 4 or 5.
  std::uint16_t GetInstUninstItemCount() const;

  // Parses the items in order and stops at the first failure: 0 or its code.
  int ParseAllParameters(CCmdLineOptions& options);

  // Back to no items, in place.
  void Reset();

 private:
  std::uint16_t wItemCount = 0;
  CCmdLineItem aItems[kMaxItemCount];
};

// The option record the option items fill; the driver and the command loop
// read it.
class CCmdLineOptions {
 public:
  static constexpr std::uint32_t kInfiniteTimeout = 0xFFFFFFFFu;
  static constexpr std::uint32_t kDefaultCommandPause = 30000;

  void SetCheckAdmin(int bValue) { bCheckAdmin = bValue; }
  void SetCheckOBMA(int bValue) { bCheckOBMA = bValue; }
  void SetHelp(int bValue) { bHelp = bValue; }
  void SetCheckDiskSpace(int bValue) { bCheckDiskSpace = bValue; }
  void SetTimeout(std::uint32_t dwValue) { dwTimeout = dwValue; }
  void SetCommandPause(std::uint32_t dwValue) { dwCommandPause = dwValue; }

  int GetCheckAdmin() const { return bCheckAdmin; }
  int GetCheckOBMA() const { return bCheckOBMA; }
  int GetHelp() const { return bHelp; }
  int GetCheckDiskSpace() const { return bCheckDiskSpace; }
  // Milliseconds; kInfiniteTimeout waits without limit.
  std::uint32_t GetTimeout() const { return dwTimeout; }
  // Milliseconds between two commands that ran.
  std::uint32_t GetCommandPause() const { return dwCommandPause; }

 private:
  std::int32_t bCheckAdmin = 0;
  std::int32_t bCheckOBMA = 0;
  std::int32_t bHelp = 0;
  std::int32_t bCheckDiskSpace = 1;
  std::uint32_t dwTimeout = kInfiniteTimeout;
  std::uint32_t dwCommandPause = kDefaultCommandPause;
};

// The type whose specifier name begins pchText (case-insensitive, longest
// name wins), or -1. Throws -4 when the upper-case copy cannot be made.
int IsItSpecifier(const char* pchText);
// The first '/' or '-' in pchText, or NULL. Strict: only when it is the first
// character that is not white space.
const char* FindAnySeparator(const char* pchText, int bStrict);
// The type of the first separator followed by a specifier name, or -1; on
// success *ppchSpecifier is the first character of the name, after no
// specifier at all it is NULL. Strict: only the first separator counts.
int FindAnySpecifier(const char* pchText, const char** ppchSpecifier, int bStrict);
// Splits pchText (the command line after the program's name, a writable copy
// that must outlive the items) into items of pCmdLine and applies them to
// pOptions: 0 or -1. An empty or NULL text gives no items and 0.
int ParseCmdLine(CCmdLineOptions* pOptions, CCmdLine* pCmdLine, char* pchText);

// The process-wide command line and option record.
CCmdLine& GetCmdLine();
CCmdLineOptions& GetCmdLineOptions();
// Appends the default installation ("setup.exe" with "-s -SMS") to the
// process-wide command line; returns 1.
int AddDefaultCmdLineItem();
// Puts both process-wide objects back to their defaults, so that tests do not
// see each other's leftovers.
void ResetCmdLineState();
