#include "setup_launcher/trace/trace_log.h"

#include <cstdarg>
#include <cstring>

#include "setup_launcher/decimal.h"
#include "setup_launcher/path_utils.h"

namespace {

constexpr unsigned kPathSize = 260;       // a path of at most 259 characters
constexpr unsigned kLineBufferSize = 1024;
constexpr unsigned kMaxModeLength = 7;
constexpr std::uint32_t kDefaultTraceLimit = 0x100000;
constexpr std::uint32_t kInvalidFileSize = 0xFFFFFFFFu;
constexpr const char* kProgramName = "Kinetra.EXE";

struct TraceState {
  bool bTraceOn = true;
  bool bClosed = false;
  long lLevelThreshold = 255;
  unsigned long ulCategoryMask = 0xFFFFFFFFu;
  bool bThreadId = false;
  bool bDateTime = false;
  bool bTickCount = false;
  bool bIndent = true;
  long lRereadInterval = 0;
  std::int64_t llLastReading = 0;
  std::FILE* pTraceFile = nullptr;
  char achTraceFileName[kPathSize] = {};
  bool bHeaderWritten = false;
  std::FILE* pConfigFile = nullptr;
  long lDepth = 0;
  long lNesting = 0;
  bool bLockReady = false;
  char achLine[kLineBufferSize] = {};
};

// Constant-initialised, so that scopes opened during static initialisation of
// other files find it ready.
constinit TraceState g_trace{};
constinit ITracePlatform* g_pPlatform = nullptr;

void EnsureLock() {
  if (!g_trace.bLockReady && g_pPlatform != nullptr) {
    g_pPlatform->InitializeLock();
    g_trace.bLockReady = true;
  }
}

class TraceLock {
 public:
  TraceLock() {
    EnsureLock();
    if (g_pPlatform != nullptr) g_pPlatform->EnterLock();
  }
  ~TraceLock() {
    if (g_pPlatform != nullptr && g_trace.bLockReady) g_pPlatform->LeaveLock();
  }
  TraceLock(const TraceLock&) = delete;
  TraceLock& operator=(const TraceLock&) = delete;
};

// Each piece is flushed at once, so the trace is complete even when the
// launcher is killed while it waits.
void WritePiece(const char* pchPiece) {
  if (g_trace.pTraceFile != nullptr) {
    std::fputs(pchPiece, g_trace.pTraceFile);
    std::fflush(g_trace.pTraceFile);
  } else if (g_pPlatform != nullptr) {
    g_pPlatform->DebugOutput(pchPiece);
  }
}

// What fopen would refuse is refused here, before the runtime sees it: one
// of r, w, a, then each of the runtime's flag letters at most once, and not
// both text and binary.
bool IsValidOpenMode(const char* pchMode) {
  if (pchMode == nullptr || std::strlen(pchMode) > kMaxModeLength) return false;
  const char* p = pchMode;
  while (*p == ' ') ++p;
  if (*p != 'r' && *p != 'w' && *p != 'a') return false;
  const char* const kFlags = "+btcnNSRTDx";
  bool abSeen[11] = {};
  for (++p; *p != '\0'; ++p) {
    if (*p == ' ') continue;
    const char* pchFlag = std::strchr(kFlags, *p);
    if (pchFlag == nullptr) return false;
    bool& bSeen = abSeen[pchFlag - kFlags];
    if (bSeen) return false;
    bSeen = true;
  }
  return !(abSeen[1] && abSeen[2]) && !(abSeen[10] && pchMode[0] != 'w');
}

std::FILE* OpenTraceFile(const char* pchName, const char* pchMode) {
  if (g_pPlatform == nullptr || pchName == nullptr || !IsValidOpenMode(pchMode)) return nullptr;
  if (HasDriveOrDirectory(pchName)) return g_pPlatform->OpenShared(pchName, pchMode);

  // A bare name is taken from the program's own directory.
  char achPath[2 * kPathSize] = {};
  char achModule[kPathSize] = {};
  g_pPlatform->ModuleFileName(achModule, kPathSize);
  achModule[kPathSize - 1] = '\0';
  if (char* pchSlash = std::strrchr(achModule, '\\')) {
    pchSlash[1] = '\0';
  } else {
    achModule[0] = '\0';
  }
  std::snprintf(achPath, sizeof(achPath), "%s%s", achModule, pchName);
  return g_pPlatform->OpenShared(achPath, pchMode);
}

void WriteHeader() {
  char achHeader[32];
  std::snprintf(achHeader, sizeof(achHeader), "ts %s%s%s\n", g_trace.bThreadId ? "tid " : "",
                g_trace.bDateTime ? "dt " : "", g_trace.bTickCount ? "tc " : "");
  WritePiece(achHeader);
}

bool IsLineEnd(char ch) { return ch == '\0' || ch == '\n' || ch == '\r'; }

void ApplyTraceFileLine(const char* pchValue) {
  char achName[kLineBufferSize];
  char achMode[kLineBufferSize];
  std::size_t uName = 0;
  while (!IsLineEnd(pchValue[uName]) && pchValue[uName] != ',') ++uName;
  std::memcpy(achName, pchValue, uName);
  achName[uName] = '\0';

  std::strcpy(achMode, "w");
  if (pchValue[uName] == ',') {
    const char* pchMode = pchValue + uName + 1;
    while (*pchMode == ' ') ++pchMode;
    std::size_t uMode = 0;
    while (!IsLineEnd(pchMode[uMode])) ++uMode;
    if (uMode > 0) {
      std::memcpy(achMode, pchMode, uMode);
      achMode[uMode] = '\0';
    }
  }
  SetTraceFile(achName, achMode);
}

void ApplyConfigLine(const char* pchLine) {
  if (pchLine[0] == '#') return;
  // Order matters: the first key found anywhere in the line decides.
  static const char* const kKeys[] = {"notrace", "tid", "tc", "dt", "nid", "tl", "ts", "tfr", "tf"};
  int nKey = -1;
  for (int i = 0; i < 9 && nKey < 0; ++i) {
    if (std::strstr(pchLine, kKeys[i]) != nullptr) nKey = i;
  }
  switch (nKey) {
    case 0: g_trace.bTraceOn = false; return;
    case 1: g_trace.bThreadId = true; return;
    case 2: g_trace.bTickCount = true; return;
    case 3: g_trace.bDateTime = true; return;
    case 4: g_trace.bIndent = false; return;
    case -1: return;
    default: break;
  }
  const char* pchValue = std::strchr(pchLine, '=');
  if (pchValue == nullptr) return;
  ++pchValue;
  while (*pchValue == ' ') ++pchValue;
  if (*pchValue == '\0') return;
  switch (nKey) {
    case 5: g_trace.lLevelThreshold = ParseDecimal(pchValue); break;
    case 6: g_trace.ulCategoryMask = static_cast<unsigned long>(ParseDecimal(pchValue)) & 0xFFFFFFFFu; break;
    case 7: g_trace.lRereadInterval = ParseDecimal(pchValue); break;
    case 8: ApplyTraceFileLine(pchValue); break;
    default: break;
  }
}

void ReadConfiguration() {
  TraceLock lock;
  g_trace.bTraceOn = true;
  g_trace.lLevelThreshold = 255;
  g_trace.ulCategoryMask = 0xFFFFFFFFu;
  g_trace.bThreadId = false;
  g_trace.bDateTime = false;
  g_trace.bTickCount = false;
  g_trace.bIndent = true;
  g_trace.lRereadInterval = 0;

  while (std::fgets(g_trace.achLine, kLineBufferSize, g_trace.pConfigFile) != nullptr) {
    ApplyConfigLine(g_trace.achLine);
  }
  if (g_trace.pTraceFile != nullptr && !g_trace.bHeaderWritten) {
    WriteHeader();
    g_trace.bHeaderWritten = true;
  }
  g_trace.llLastReading = g_pPlatform != nullptr ? g_pPlatform->GetTimeSeconds() : 0;
  std::rewind(g_trace.pConfigFile);
}

// The indentation is one piece; only a depth beyond any real nesting would
// take more than one.
void WriteIndentation(long lDepth) {
  char achBlanks[kLineBufferSize];
  std::memset(achBlanks, ' ', sizeof(achBlanks) - 1);
  while (lDepth > 0) {
    const long lChunk = lDepth < static_cast<long>(kLineBufferSize - 1) ? lDepth : kLineBufferSize - 1;
    achBlanks[lChunk] = '\0';
    WritePiece(achBlanks);
    achBlanks[lChunk] = ' ';
    lDepth -= lChunk;
  }
}

const char* SeverityColumn(unsigned long ulCategory) {
  switch (ulCategory) {
    case TRACE_ERROR: return "3\t";
    case TRACE_WARNING: return "2\t";
    case TRACE_INFO: return "1\t";
    default: return "0\t";
  }
}

}  // namespace

void SetTracePlatform(ITracePlatform* pPlatform) { g_pPlatform = pPlatform; }

void ResetTraceLog() {
  // The platform may already be gone, so it is not called: files are closed
  // here and its lock is abandoned with it.
  if (g_trace.pTraceFile != nullptr) std::fclose(g_trace.pTraceFile);
  if (g_trace.pConfigFile != nullptr) std::fclose(g_trace.pConfigFile);
  g_trace = TraceState{};
  g_pPlatform = nullptr;
}

void SetTraceFile(const char* pchName, const char* pchMode) {
  if (pchName == nullptr) return;
  if (g_trace.pTraceFile != nullptr && std::strcmp(g_trace.achTraceFileName, pchName) == 0) return;
  if (g_trace.pTraceFile != nullptr) {
    std::fclose(g_trace.pTraceFile);
    g_trace.pTraceFile = nullptr;
    g_trace.achTraceFileName[0] = '\0';
  }
  // A longer name could not be kept for the comparison above; it is refused
  // like any name that cannot be opened.
  if (std::strlen(pchName) >= kPathSize) return;
  std::FILE* pFile = OpenTraceFile(pchName, pchMode);
  if (pFile == nullptr) return;
  g_trace.pTraceFile = pFile;
  std::strcpy(g_trace.achTraceFileName, pchName);
  g_trace.bHeaderWritten = false;
}

void ReadTraceConfig(const char* pchPath) {
  if (g_trace.pConfigFile != nullptr) {
    std::fclose(g_trace.pConfigFile);
    g_trace.pConfigFile = nullptr;
  }
  std::FILE* pFile = OpenTraceFile(pchPath, "r");
  if (pFile == nullptr) return;
  g_trace.pConfigFile = pFile;
  ReadConfiguration();
}

void SetTraceSettings(unsigned long ulMask, long lThreshold, int bDateTime, int bThreadId) {
  g_trace.ulCategoryMask = ulMask;
  g_trace.lLevelThreshold = lThreshold < 0 ? 0 : lThreshold;
  g_trace.bDateTime = bDateTime != 0;
  g_trace.bThreadId = bThreadId != 0;
}

void CloseTraceLog() {
  if (g_trace.pTraceFile != nullptr) {
    std::fflush(g_trace.pTraceFile);
    std::fclose(g_trace.pTraceFile);
    g_trace.pTraceFile = nullptr;
    g_trace.achTraceFileName[0] = '\0';
  }
  if (g_trace.pConfigFile != nullptr) {
    std::fclose(g_trace.pConfigFile);
    g_trace.pConfigFile = nullptr;
  }
  if (g_trace.bLockReady) {
    if (g_pPlatform != nullptr) g_pPlatform->DeleteLock();
    g_trace.bLockReady = false;
  }
  g_trace.bClosed = true;
}

void InitTraceLog() {
  if (g_pPlatform == nullptr) return;
  // The base name comes from the fixed program name, whatever the file is called.
  char achBase[kPathSize];
  std::snprintf(achBase, sizeof(achBase), "%s", kProgramName);
  if (char* pchDot = std::strrchr(achBase, '.')) *pchDot = '\0';

  char achConfig[kPathSize + 8];
  std::snprintf(achConfig, sizeof(achConfig), "%s.cfg", achBase);
  if (g_pPlatform->CanOpenForReading(achConfig)) {
    ReadTraceConfig(achConfig);
    return;
  }

  char achWindows[kPathSize] = {};
  const unsigned uLength = g_pPlatform->WindowsDirectory(achWindows, kPathSize);
  achWindows[kPathSize - 1] = '\0';
  if (uLength > 0 && uLength < kPathSize) {
    char achLogName[kPathSize + 8];
    std::snprintf(achLogName, sizeof(achLogName), "%s.log", achBase);
    char achDefault[2 * kPathSize + 8];
    MakeFilePath(achDefault, sizeof(achDefault), achWindows, achLogName);
    const std::uint32_t uSize = g_pPlatform->GetFileSize(achDefault);
    if (uSize != kInvalidFileSize && uSize > kDefaultTraceLimit) g_pPlatform->RemoveFile(achDefault);
    SetTraceFile(achDefault, "a");
  }
  // Without a Windows directory the trace goes to the debugger output.
  SetTraceSettings(0xFFFFFFFFu, 10, 1, 0);
}

void TraceMessage(unsigned long ulCategory, long lLevel, const char* pchFormat, ...) {
  if (g_pPlatform == nullptr || pchFormat == nullptr) return;
  if (g_trace.lRereadInterval != 0 && g_trace.pConfigFile != nullptr &&
      g_pPlatform->GetTimeSeconds() - g_trace.llLastReading >= g_trace.lRereadInterval) {
    ReadConfiguration();
  }
  if (!g_trace.bTraceOn || g_trace.bClosed) return;
  if ((ulCategory & g_trace.ulCategoryMask) == 0 || lLevel > g_trace.lLevelThreshold) return;

  TraceLock lock;
  char achColumn[64];
  WritePiece(SeverityColumn(ulCategory));
  if (g_trace.bThreadId) {
    std::snprintf(achColumn, sizeof(achColumn), "%lX\t", g_pPlatform->GetCurrentThreadId());
    WritePiece(achColumn);
  }
  if (g_trace.bDateTime) {
    const TraceLocalTime now = g_pPlatform->GetLocalTime();
    std::snprintf(achColumn, sizeof(achColumn), "%2d/%02d/%02d %02d:%02d:%02d\t", now.nYear % 100, now.nMonth,
                  now.nDay, now.nHour, now.nMinute, now.nSecond);
    WritePiece(achColumn);
  }
  if (g_trace.bTickCount) {
    std::snprintf(achColumn, sizeof(achColumn), "%08lX\t", g_pPlatform->GetTickCount());
    WritePiece(achColumn);
  }
  if (g_trace.bIndent) WriteIndentation(g_trace.lDepth);

  std::va_list args;
  va_start(args, pchFormat);
  std::vsnprintf(g_trace.achLine, kLineBufferSize, pchFormat, args);
  va_end(args);
  WritePiece(g_trace.achLine);
}

TraceCallText& TraceCallText::Text(const char* pchText) {
  if (pchText == nullptr) return *this;
  while (*pchText != '\0' && m_uLength < kMaxLength) m_achText[m_uLength++] = *pchText++;
  m_achText[m_uLength] = '\0';
  return *this;
}

TraceCallText& TraceCallText::Signed(long lValue) {
  char achNumber[32];
  std::snprintf(achNumber, sizeof(achNumber), "%ld", lValue);
  return Text(achNumber);
}

TraceCallText& TraceCallText::Unsigned(unsigned long ulValue) {
  char achNumber[32];
  std::snprintf(achNumber, sizeof(achNumber), "%lu", ulValue);
  return Text(achNumber);
}

TraceCallText& TraceCallText::Pointer(const void* pValue) {
  // The width of a pointer on the platform: 8 digits on the 32-bit launcher.
  char achNumber[3 + 2 * sizeof(void*)];
  const auto uValue = reinterpret_cast<std::uintptr_t>(pValue);
  achNumber[0] = '0';
  achNumber[1] = 'x';
  const unsigned uDigits = 2 * sizeof(void*);
  for (unsigned i = 0; i < uDigits; ++i) {
    achNumber[2 + i] = "0123456789ABCDEF"[(uValue >> (4 * (uDigits - 1 - i))) & 0xF];
  }
  achNumber[2 + uDigits] = '\0';
  return Text(achNumber);
}

TraceScope::TraceScope(const char* pchText) {
  if (g_trace.lNesting == 0) {
    EnsureLock();
  } else {
    m_pchText = pchText != nullptr ? pchText : "";
    TraceMessage(TRACE_INFO, 0, "{ %s", m_pchText);
    g_trace.lDepth += 3;
  }
  ++g_trace.lNesting;
}

TraceScope::~TraceScope() {
  if (m_pchText != nullptr) {
    g_trace.lDepth -= 3;
    TraceMessage(TRACE_INFO, 0, "} %s", m_pchText);
  }
  if (--g_trace.lNesting == 0) {
    CloseTraceLog();
    g_trace.bClosed = true;
  }
}
