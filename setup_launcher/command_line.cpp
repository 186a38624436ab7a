#include "setup_launcher/command_line.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "setup_launcher/decimal.h"
#include "setup_launcher/error_codes.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

struct SpecifierRow {
  const char* pchName;  // upper case
  unsigned uLength;
};

// The row index is the item type.
constexpr SpecifierRow kSpecifiers[] = {
    {"CHECKADMIN", 10},
    {"CHECKOBMA", 9},
    {"?", 1},
    {"TIMEOUT:", 8},
    {"INSTALLSHIELD", 13},
    {"UNINSTALLSHIELD", 15},
    {"NOCHECKDISKSPACE", 16},
    {"COMMANDPAUSE:", 13},
};
constexpr int kSpecifierCount = static_cast<int>(sizeof(kSpecifiers) / sizeof(kSpecifiers[0]));

constexpr bool LengthsMatchNames() {
  for (const SpecifierRow& row : kSpecifiers) {
    if (std::char_traits<char>::length(row.pchName) != row.uLength) return false;
  }
  return true;
}
static_assert(LengthsMatchNames());

constexpr unsigned LongestSpecifier() {
  unsigned uLongest = 0;
  for (const SpecifierRow& row : kSpecifiers) uLongest = row.uLength > uLongest ? row.uLength : uLongest;
  return uLongest;
}
constexpr unsigned kLongestSpecifier = LongestSpecifier();

constexpr const char* kDefaultSetupExe = "setup.exe";
constexpr const char* kDefaultSetupArguments = "-s -SMS";

// The most of a message the trace keeps; a span's text is never formatted
// beyond it, however long the rest of the command line is.
constexpr int kTraceMessageChars = 1023;

[[noreturn]] void ThrowOverflow() { throw static_cast<int>(KINETRA_OVERFLOW); }

bool IsSeparator(char ch) { return ch == '/' || ch == '-'; }

// The standard white space of the "C" locale, whatever the process locale is.
bool IsWhiteSpace(char ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

char ToUpperAscii(char ch) { return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch; }

void TraceText(unsigned long ulCategory, const char* pchText) { TraceMessage(ulCategory, 0, "%s", pchText); }

// The entry text of the span operations: the text from the span's start to
// the end of the underlying string, and the span's length.
void BuildSpanCall(TraceCallText& call, const char* pchName, const CCmdLineParam& span) {
  call.Text(pchName).Text("(").Text(span.data()).Text(",").Unsigned(span.length()).Text(")\n");
}

void TraceSpanResult(const CCmdLineParam& span) {
  TraceMessage(TRACE_INFO, 0, "Result is '%.*s', length: %d\n", kTraceMessageChars,
               span.data() != nullptr ? span.data() : "", static_cast<int>(span.length()));
}

bool IsSpanEmpty(const CCmdLineParam& span) { return span.data() == nullptr || span.length() == 0; }

void BuildParserCall(TraceCallText& call, const char* pchName, const CCmdLineOptions& options) {
  call.Text(pchName).Text("(").Pointer(&options).Text(")\n");
}

// The trimmed text of an item; the item keeps its raw text.
CCmdLineParam TrimmedText(const CCmdLineParam& text) {
  CCmdLineParam trimmed = text;
  trimmed.ShiftLeadingAndTrailingSpaces();
  return trimmed;
}

// The shared rules of the on/off options: nothing or "+" sets, "-" clears.
int ParseFlag(const CCmdLineParam& text, CCmdLineOptions& options, void (CCmdLineOptions::*pSetter)(int),
              const char* pchSetMessage, const char* pchResetMessage, const char* pchBadSymbolMessage,
              const char* pchBadSymbolsMessage) {
  const CCmdLineParam trimmed = TrimmedText(text);
  if (IsSpanEmpty(trimmed) || (trimmed.length() == 1 && trimmed.data()[0] == '+')) {
    (options.*pSetter)(1);
    TraceText(TRACE_INFO, pchSetMessage);
  } else if (trimmed.length() == 1 && trimmed.data()[0] == '-') {
    (options.*pSetter)(0);
    TraceText(TRACE_INFO, pchResetMessage);
  } else if (trimmed.length() == 1) {
    TraceText(TRACE_ERROR, pchBadSymbolMessage);
    return KINETRA_INVALID_CMDLINE;
  } else {
    TraceText(TRACE_ERROR, pchBadSymbolsMessage);
    return KINETRA_INVALID_CMDLINE;
  }
  TraceText(TRACE_INFO, "Parsing OK.\n");
  return 0;
}

// Seconds from the item's text, stored as milliseconds: 0 or -1.
int ParseSeconds(const CCmdLineParam& text, CCmdLineOptions& options, void (CCmdLineOptions::*pSetter)(std::uint32_t),
                 const char* pchZeroMessage, const char* pchOkFormat) {
  const CCmdLineParam trimmed = TrimmedText(text);
  if (IsSpanEmpty(trimmed)) {
    TraceText(TRACE_ERROR, "Parsing failed, parameter string is empty\n");
    return KINETRA_INVALID_CMDLINE;
  }
  constexpr unsigned kNumberChars = 64;
  char achNumber[kNumberChars + 1];
  trimmed.ConvertToString(achNumber, kNumberChars);
  std::int32_t nSeconds = 0;
  if (std::strcmp(achNumber, "0") != 0) {
    nSeconds = static_cast<std::int32_t>(ParseDecimal(achNumber));
    if (nSeconds == 0) {
      TraceText(TRACE_ERROR, pchZeroMessage);
      return KINETRA_INVALID_CMDLINE;
    }
  }
  // 32-bit wrap-around on purpose: a negative count of seconds is stored as
  // its unsigned product, as the launcher always has.
  const std::uint32_t dwMilliseconds = static_cast<std::uint32_t>(nSeconds) * 1000u;
  (options.*pSetter)(dwMilliseconds);
  TraceMessage(TRACE_INFO, 0, pchOkFormat, static_cast<unsigned>(dwMilliseconds));
  return 0;
}

}  // namespace

// ---------------------------------------------------------------------------
// CCmdLineParam

void CCmdLineParam::ConvertToString(char* pchBuffer, unsigned uSize) const {
  TraceCallText call;
  call.Text("ConvertToString(").Pointer(pchBuffer).Text(",").Unsigned(uSize).Text(")\n");
  TraceScope scope(call.c_str());

  const std::uint32_t dwCount = pchData == nullptr ? 0 : (dwLength < uSize ? dwLength : uSize);
  if (dwCount > 0) std::strncpy(pchBuffer, pchData, dwCount);
  pchBuffer[dwCount] = '\0';
  TraceMessage(TRACE_INFO, 0, "The result is '%s'\n", pchBuffer);
}

void CCmdLineParam::ShiftLeadingSpaces() {
  TraceCallText call;
  BuildSpanCall(call, "ShiftLeadingSpaces", *this);
  TraceScope scope(call.c_str());

  if (IsSpanEmpty(*this)) {
    TraceText(TRACE_INFO, "No data to convert.\n");
    return;
  }
  while (dwLength > 0 && pchData[0] == ' ') {
    ++pchData;
    --dwLength;
  }
  TraceSpanResult(*this);
}

void CCmdLineParam::ShiftTrailingSpaces() {
  TraceCallText call;
  BuildSpanCall(call, "ShiftTrailingSpaces", *this);
  TraceScope scope(call.c_str());

  if (IsSpanEmpty(*this)) {
    TraceText(TRACE_INFO, "No data to convert.\n");
    return;
  }
  while (dwLength > 0 && pchData[dwLength - 1] == ' ') --dwLength;
  TraceSpanResult(*this);
}

void CCmdLineParam::ShiftLeadingAndTrailingSpaces() {
  TraceCallText call;
  BuildSpanCall(call, "ShiftLeadingAndTrailingSpaces", *this);
  TraceScope scope(call.c_str());

  if (IsSpanEmpty(*this)) {
    TraceText(TRACE_INFO, "No data to convert.\n");
    return;
  }
  ShiftTrailingSpaces();
  ShiftLeadingSpaces();
  TraceSpanResult(*this);
}

void CCmdLineParam::ShiftQuotes() {
  TraceCallText call;
  BuildSpanCall(call, "ShiftQuotes", *this);
  TraceScope scope(call.c_str());

  if (IsSpanEmpty(*this)) {
    TraceText(TRACE_INFO, "No data to convert.\n");
    return;
  }
  if (pchData[dwLength - 1] == '"') --dwLength;
  if (dwLength > 0 && pchData[0] == '"') {
    ++pchData;
    --dwLength;
  }
  TraceSpanResult(*this);
}

// ---------------------------------------------------------------------------
// CCmdLineItem

void CCmdLineItem::AddParameter(const char* pchText, int nLength) {
  TraceCallText call;
  call.Text("AddParameter(").Text(pchText).Text(",").Unsigned(static_cast<std::uint32_t>(nLength)).Text(")\n");
  TraceScope scope(call.c_str());

  TraceMessage(TRACE_INFO, 0, "Adding to the current index: %d\n", wParamCount);
  if (wParamCount >= kMaxParamCount) {
    TraceText(TRACE_ERROR, "Can't add parameter, reason: too many parameters.\n");
    ThrowOverflow();
  }
  aParams[wParamCount].set(pchText, static_cast<std::uint32_t>(nLength));
  ++wParamCount;
  TraceText(TRACE_INFO, "Parameter was added successfully.\n");
}

CCmdLineParam CCmdLineItem::GetParameter(std::uint16_t wParamIndex) const {
  if (wParamIndex >= wParamCount) {
    TraceMessage(TRACE_ERROR, 0, "GetParameter called with invalid wParamIndex [%d]\n", wParamIndex);
    ThrowOverflow();
  }
  return aParams[wParamIndex];
}

int CCmdLineItem::ParseParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseParameters", options);
  TraceScope scope(call.c_str());

  int nResult = KINETRA_INVALID_CMDLINE;
  switch (nType) {
    case CMDLINE_CHECKADMIN: nResult = ParseCheckAdminParameters(options); break;
    case CMDLINE_CHECKOBMA: nResult = ParseCheckOBMAParameters(options); break;
    case CMDLINE_HELP: nResult = ParseHelpParameters(options); break;
    case CMDLINE_TIMEOUT: nResult = ParseTimeoutParameters(options); break;
    case CMDLINE_INSTALLSHIELD: nResult = ParseInstParameters(options); break;
    case CMDLINE_UNINSTALLSHIELD: nResult = ParseUninstParameters(options); break;
    case CMDLINE_NOCHECKDISKSPACE: nResult = ParseNoCheckDiskSpaceParameters(options); break;
    case CMDLINE_COMMANDPAUSE: nResult = ParseCommandPauseParameters(options); break;
    default: break;
  }
  if (nResult != 0) {
    TraceMessage(TRACE_ERROR, 0, "Parsing failed with error code: %d\n", nResult);
  } else {
    TraceText(TRACE_INFO, "Parsing OK\n");
  }
  return nResult;
}

int CCmdLineItem::ParseCheckAdminParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseCheckAdminParameters", options);
  TraceScope scope(call.c_str());
  return ParseFlag(paramText, options, &CCmdLineOptions::SetCheckAdmin, "Setting checkadmin flag.\n",
                   "Resetting checkadmin flag.\n", "Invalid symbol after checkadmin specifier.\n",
                   "Invalid symbols after checkadmin specifier.\n");
}

int CCmdLineItem::ParseCheckOBMAParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseCheckOBMAParameters", options);
  TraceScope scope(call.c_str());
  return ParseFlag(paramText, options, &CCmdLineOptions::SetCheckOBMA, "Setting CheckOBMA flag.\n",
                   "Resetting CheckOBMA flag.\n", "Invalid symbol after CheckOBMA specifier.\n",
                   "Invalid symbols after CheckOBMA specifier.\n");
}

int CCmdLineItem::ParseHelpParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseHelpParameters", options);
  TraceScope scope(call.c_str());
  if (!IsSpanEmpty(TrimmedText(paramText))) {
    TraceText(TRACE_ERROR, "Parsing failed\n");
    return KINETRA_INVALID_CMDLINE;
  }
  options.SetHelp(1);
  return 0;
}

int CCmdLineItem::ParseNoCheckDiskSpaceParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseNoCheckDiskSpaceParameters", options);
  TraceScope scope(call.c_str());
  if (!IsSpanEmpty(TrimmedText(paramText))) {
    TraceText(TRACE_ERROR, "Parsing failed\n");
    return KINETRA_INVALID_CMDLINE;
  }
  options.SetCheckDiskSpace(0);
  return 0;
}

int CCmdLineItem::ParseTimeoutParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseTimeoutParameters", options);
  TraceScope scope(call.c_str());
  return ParseSeconds(paramText, options, &CCmdLineOptions::SetTimeout, "Timeout results in 0. Possible error.\n",
                      "Parsing OK, result timeout: %u\n");
}

int CCmdLineItem::ParseCommandPauseParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseCommandPauseParameters", options);
  TraceScope scope(call.c_str());
  return ParseSeconds(paramText, options, &CCmdLineOptions::SetCommandPause,
                      "CommandPause results in 0. Possible error.\n", "Parsing OK, result CommandPause: %u\n");
}

int CCmdLineItem::ParseInstParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseInstParameters", options);
  TraceScope scope(call.c_str());

  const CCmdLineParam trimmed = TrimmedText(paramText);
  if (IsSpanEmpty(trimmed)) {
    TraceMessage(TRACE_INFO, 0, "Installation parameters aren't specified, using default: %s %s", kDefaultSetupExe,
                 kDefaultSetupArguments);
    AddParameter(kDefaultSetupExe, static_cast<int>(std::strlen(kDefaultSetupExe)));
    AddParameter(kDefaultSetupArguments, static_cast<int>(std::strlen(kDefaultSetupArguments)));
    return 0;
  }
  // The split is looked for inside the span only: the underlying string goes
  // on past it, and a blank there belongs to the next item.
  const void* pSpace = std::memchr(trimmed.data(), ' ', trimmed.length());
  if (pSpace == nullptr) {
    AddParameter(trimmed.data(), static_cast<int>(trimmed.length()));
    AddParameter(nullptr, 0);
    return 0;
  }
  const std::uint32_t dwProgramLength = static_cast<std::uint32_t>(static_cast<const char*>(pSpace) - trimmed.data());
  AddParameter(trimmed.data(), static_cast<int>(dwProgramLength));
  AddParameter(trimmed.data() + dwProgramLength, static_cast<int>(trimmed.length() - dwProgramLength));
  return 0;
}

int CCmdLineItem::ParseUninstParameters(CCmdLineOptions& options) {
  TraceCallText call;
  BuildParserCall(call, "CCmdLineItem::ParseUninstParameters", options);
  TraceScope scope(call.c_str());

  CCmdLineParam name = TrimmedText(paramText);
  name.ShiftQuotes();
  if (IsSpanEmpty(name)) {
    TraceText(TRACE_ERROR, "Parsing failed, parameter string is empty.\n");
    return KINETRA_INVALID_CMDLINE;
  }
  AddParameter(name.data(), static_cast<int>(name.length()));
  return 0;
}

// ---------------------------------------------------------------------------
// CCmdLine

// Not constexpr on purpose: the static command line is then filled at start-up
// instead of taking some 800 KB of initialised data in the program file.
CCmdLine::CCmdLine() {}

int CCmdLine::AddCmdLineItem(int nItemType, const char* pchText, int nLength) {
  TraceCallText call;
  call.Text("AddCmdLineItem(").Signed(nItemType).Text(",").Text(pchText).Text(",").Unsigned(static_cast<std::uint32_t>(nLength)).Text(")\n");
  TraceScope scope(call.c_str());

  TraceMessage(TRACE_INFO, 0, "Adding to the current index: %d\n", wItemCount);
  if (wItemCount >= kMaxItemCount) {
    TraceText(TRACE_ERROR, "Can't add item, reason: too many items.\n");
    ThrowOverflow();
  }
  aItems[wItemCount] = CCmdLineItem(nItemType, CCmdLineParam(pchText, static_cast<std::uint32_t>(nLength)));
  ++wItemCount;
  TraceText(TRACE_INFO, "Item was added successfully.\n");
  return 1;
}

int CCmdLine::AddCmdLineItem(int nItemType, std::uint16_t wArgc, const char** ppchArgv) {
  TraceCallText call;
  call.Text("AddCmdLineItem(").Signed(nItemType).Text(",").Unsigned(wArgc).Text(",").Pointer(ppchArgv).Text(")\n");
  TraceScope scope(call.c_str());

  if (wItemCount >= kMaxItemCount) {
    TraceText(TRACE_ERROR, "Can't add item, reason: too many items.\n");
    ThrowOverflow();
  }
  CCmdLineItem& item = aItems[wItemCount];
  item = CCmdLineItem(nItemType);
  for (std::uint16_t wArg = 0; wArg < wArgc; ++wArg) {
    const char* pchArg = ppchArgv != nullptr ? ppchArgv[wArg] : nullptr;
    item.AddParameter(pchArg, pchArg != nullptr ? static_cast<int>(std::strlen(pchArg)) : 0);
  }
  // Counted only once all its parameters are in.
  ++wItemCount;
  return 1;
}

CCmdLineItem& CCmdLine::GetCmdLineItem(std::uint16_t wItemIndex) {
  return const_cast<CCmdLineItem&>(static_cast<const CCmdLine&>(*this).GetCmdLineItem(wItemIndex));
}

const CCmdLineItem& CCmdLine::GetCmdLineItem(std::uint16_t wItemIndex) const {
  if (wItemIndex >= wItemCount) {
    TraceMessage(TRACE_ERROR, 0, "GetCmdLineItem called with invalid wItemIndex = [%d]\n", wItemIndex);
    ThrowOverflow();
  }
  return aItems[wItemIndex];
}

std::uint16_t CCmdLine::GetInstUninstItemCount() const {
  std::uint16_t wCount = 0;
  for (std::uint16_t wItem = 0; wItem < wItemCount; ++wItem) {
    const int nItemType = aItems[wItem].GetType();
    if (nItemType == CMDLINE_INSTALLSHIELD || nItemType == CMDLINE_UNINSTALLSHIELD) ++wCount;
  }
  return wCount;
}

int CCmdLine::ParseAllParameters(CCmdLineOptions& options) {
  TraceScope scope("CCmdLine::ParseAllParameters()\n");

  for (std::uint16_t wItem = 0; wItem < wItemCount; ++wItem) {
    const int nResult = aItems[wItem].ParseParameters(options);
    if (nResult != 0) {
      TraceMessage(TRACE_ERROR, 0, "Parsing failed with error code: %d\n", nResult);
      return nResult;
    }
  }
  TraceText(TRACE_INFO, "Parsing OK.\n");
  return 0;
}

void CCmdLine::Reset() {
  // In place: a fresh CCmdLine is far too large for the stack.
  for (CCmdLineItem& item : aItems) item = CCmdLineItem();
  wItemCount = 0;
}

// ---------------------------------------------------------------------------
// Splitting

int IsItSpecifier(const char* pchText) {
  TraceCallText call;
  call.Text("IsItSpecifier(").Text(pchText).Text(")\n");
  TraceScope scope(call.c_str());

  if (pchText == nullptr) {
    TraceText(TRACE_INFO, "No specifiers was found.\n");
    return -1;
  }
  // No name is longer than kLongestSpecifier, so that much of the text
  // decides; copying the whole rest of the command line for every separator
  // would make parsing quadratic in its length.
  std::size_t uTextLength = 0;
  while (uTextLength < kLongestSpecifier && pchText[uTextLength] != '\0') ++uTextLength;
  std::unique_ptr<char, decltype(&std::free)> upper(static_cast<char*>(std::malloc(uTextLength + 1)), &std::free);
  if (!upper) ThrowOverflow();
  for (std::size_t i = 0; i < uTextLength; ++i) upper.get()[i] = ToUpperAscii(pchText[i]);
  upper.get()[uTextLength] = '\0';

  int nFound = -1;
  for (int nRow = 0; nRow < kSpecifierCount; ++nRow) {
    const SpecifierRow& row = kSpecifiers[nRow];
    if (row.uLength > uTextLength) continue;
    bool bMatch = true;
    for (unsigned j = 0; j < row.uLength && bMatch; ++j) {
      bMatch = row.pchName[j] == pchText[j] || row.pchName[j] == upper.get()[j];
    }
    // The longest name wins; on equal lengths the first row.
    if (bMatch && (nFound < 0 || row.uLength > kSpecifiers[nFound].uLength)) nFound = nRow;
  }
  upper.reset();

  if (nFound < 0) {
    TraceText(TRACE_INFO, "No specifiers was found.\n");
    return -1;
  }
  TraceMessage(TRACE_INFO, 0, "Specifier was found: '%s', index: [%d]\n", kSpecifiers[nFound].pchName, nFound);
  return nFound;
}

const char* FindAnySeparator(const char* pchText, int bStrict) {
  TraceCallText call;
  call.Text("FindAnySeparator(").Text(pchText).Text(",").Signed(bStrict).Text(")\n");
  TraceScope scope(call.c_str());

  if (pchText == nullptr) return nullptr;
  for (const char* pch = pchText; *pch != '\0'; ++pch) {
    if (IsWhiteSpace(*pch)) continue;
    if (IsSeparator(*pch)) {
      TraceMessage(TRACE_INFO, 0, "Separator found: %c\n", *pch);
      return pch;
    }
    if (bStrict) {
      TraceText(TRACE_WARNING, "First non-space symbol is not a separator.\n");
      return nullptr;
    }
  }
  TraceText(TRACE_INFO, "No separators found.\n");
  return nullptr;
}

int FindAnySpecifier(const char* pchText, const char** ppchSpecifier, int bStrict) {
  TraceCallText call;
  call.Text("FindAnySpecifier(")
      .Text(pchText)
      .Text(",")
      .Pointer(ppchSpecifier != nullptr ? *ppchSpecifier : nullptr)
      .Text(",")
      .Signed(bStrict)
      .Text(")\n");
  TraceScope scope(call.c_str());

  const char* pchPosition = pchText;
  while (const char* pchSeparator = FindAnySeparator(pchPosition, bStrict)) {
    const int nType = IsItSpecifier(pchSeparator + 1);
    if (nType != -1) {
      if (ppchSpecifier != nullptr) *ppchSpecifier = pchSeparator + 1;
      TraceMessage(TRACE_INFO, 0, "Specifier was found, index: %d\n", nType);
      return nType;
    }
    if (bStrict) {
      TraceText(TRACE_WARNING, "Symbols after first separator don't form a valid specifier.\n");
      return -1;
    }
    pchPosition = pchSeparator + 1;
  }
  TraceText(TRACE_INFO, "No specifiers was found.\n");
  if (ppchSpecifier != nullptr) *ppchSpecifier = nullptr;
  return -1;
}

int ParseCmdLine(CCmdLineOptions* pOptions, CCmdLine* pCmdLine, char* pchText) {
  TraceCallText call;
  call.Text("ParseCmdLine(").Pointer(pOptions).Text(",").Pointer(pCmdLine).Text(",").Text(pchText).Text(")\n");
  TraceScope scope(call.c_str());

  if (pchText == nullptr || pchText[0] == '\0') {
    TraceText(TRACE_INFO, "Command line is empty.\n");
    return 0;
  }

  const char* pchStart = nullptr;
  int nCurrent = FindAnySpecifier(pchText, &pchStart, 1);
  if (nCurrent == -1) {
    TraceText(TRACE_ERROR, "No valid specifiers was found in non-empty command line.\n");
    return KINETRA_INVALID_CMDLINE;
  }
  TraceMessage(TRACE_INFO, 0, "Previous Specifier was found, type: %d\n", nCurrent);

  // Each item's text runs from the end of its name up to, not including, the
  // separator of the next item.
  const char* pchNext = nullptr;
  for (int nNext = FindAnySpecifier(pchStart, &pchNext, 0); nNext != -1;
       nNext = FindAnySpecifier(pchStart, &pchNext, 0)) {
    TraceMessage(TRACE_INFO, 0, "Next Specifier was found, type: %d\n", nNext);
    const char* pchItemText = pchStart + kSpecifiers[nCurrent].uLength;
    pCmdLine->AddCmdLineItem(nCurrent, pchItemText, static_cast<int>(pchNext - 1 - pchItemText));
    pchStart = pchNext;
    nCurrent = nNext;
  }
  const char* pchItemText = pchStart + kSpecifiers[nCurrent].uLength;
  pCmdLine->AddCmdLineItem(nCurrent, pchItemText, static_cast<int>(std::strlen(pchItemText)));

  TraceText(TRACE_INFO, "\n");
  TraceText(TRACE_INFO, "Parsing specifers completed. Parsing all parameters...\n");

  const int nResult = pCmdLine->ParseAllParameters(*pOptions);
  if (nResult != 0) {
    TraceMessage(TRACE_ERROR, 0, "Parsing failed with error code: %d\n", nResult);
    return nResult;
  }
  TraceText(TRACE_INFO, "Parsing complete.\n");
  return 0;
}

// ---------------------------------------------------------------------------
// The process-wide objects

namespace {

// Static storage: the command line is far too large for any stack.
CCmdLine g_cmdLine;
CCmdLineOptions g_cmdLineOptions;

}  // namespace

CCmdLine& GetCmdLine() { return g_cmdLine; }

CCmdLineOptions& GetCmdLineOptions() { return g_cmdLineOptions; }

int AddDefaultCmdLineItem() {
  TraceScope scope("AddDefaultCmdLineItem()\n");
  const char* apchArgs[] = {kDefaultSetupExe, kDefaultSetupArguments};
  return g_cmdLine.AddCmdLineItem(CMDLINE_INSTALLSHIELD, 2, apchArgs);
}

void ResetCmdLineState() {
  g_cmdLine.Reset();
  g_cmdLineOptions = CCmdLineOptions();
}
