#include "setup_launcher/command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "setup_launcher/error_codes.h"
#include "setup_launcher/tests/fake_trace_platform.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

std::string SpanText(const CCmdLineParam& span) {
  return span.data() == nullptr ? std::string() : std::string(span.data(), span.length());
}

// The trace split into lines, each with its line feed.
std::vector<std::string> Lines(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < output.size()) {
    const std::size_t end = output.find('\n', start);
    const std::size_t next = end == std::string::npos ? output.size() : end + 1;
    lines.push_back(output.substr(start, next - start));
    start = next;
  }
  return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& line) {
  for (const std::string& candidate : lines) {
    if (candidate == line) return true;
  }
  return false;
}

// The error code of a thrown int, or 0 when nothing is thrown.
template <typename Call>
int ThrownCode(Call call) {
  try {
    call();
  } catch (int nCode) {
    return nCode;
  }
  return 0;
}

// Each test starts from the launcher's initial state: default command line and
// options, a fresh trace going to the fake debugger output, and the
// process-wide scope open, so that every function scope is written.
class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTraceLog();
    SetTracePlatform(&fake);
    ResetCmdLineState();
    processScope = std::make_unique<TraceScope>("*\n");
  }

  void TearDown() override {
    processScope.reset();
    ResetTraceLog();
    ResetCmdLineState();
  }

  // Parses a writable copy of `text` into the process-wide objects; the copy
  // lives as long as the test, as the driver's does.
  int Parse(const std::string& text) {
    workingCopy.assign(text.begin(), text.end());
    workingCopy.push_back('\0');
    return ParseCmdLine(&GetCmdLineOptions(), &GetCmdLine(), workingCopy.data());
  }

  std::vector<std::string> TraceLines() const { return Lines(fake.debugOutput); }

  FakeTracePlatform fake;
  std::unique_ptr<TraceScope> processScope;
  std::vector<char> workingCopy;
};

// ---------------------------------------------------------------------------
// Parsing whole command lines

struct ExpectedItem {
  int nType;
  std::string text;  // raw, as split off the command line
  std::vector<std::string> params;
};

struct ExpectedOptions {
  int checkAdmin = 0;
  int checkOBMA = 0;
  int help = 0;
  int checkDiskSpace = 1;
  std::uint32_t timeout = 0xFFFFFFFFu;
  std::uint32_t commandPause = 30000;
};

struct ParseCase {
  const char* name;
  std::string commandLine;
  int result;
  std::vector<ExpectedItem> items = {};  // also those added before a failure
  ExpectedOptions options = {};
};

class ParseCmdLineCases : public CommandLineTest, public ::testing::WithParamInterface<ParseCase> {};

TEST_P(ParseCmdLineCases, GivesItemsParametersAndOptions) {
  const ParseCase& c = GetParam();
  EXPECT_EQ(Parse(c.commandLine), c.result);

  const CCmdLine& cmdLine = GetCmdLine();
  ASSERT_EQ(cmdLine.GetItemCount(), c.items.size());
  for (std::uint16_t i = 0; i < cmdLine.GetItemCount(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    const CCmdLineItem& item = cmdLine.GetCmdLineItem(i);
    const ExpectedItem& expected = c.items[i];
    EXPECT_EQ(item.GetType(), expected.nType);
    EXPECT_EQ(SpanText(item.GetText()), expected.text);
    ASSERT_EQ(item.GetParameterCount(), expected.params.size());
    for (std::uint16_t p = 0; p < item.GetParameterCount(); ++p) {
      EXPECT_EQ(SpanText(item.GetParameter(p)), expected.params[p]) << "parameter " << p;
    }
  }

  const CCmdLineOptions& options = GetCmdLineOptions();
  EXPECT_EQ(options.GetCheckAdmin(), c.options.checkAdmin);
  EXPECT_EQ(options.GetCheckOBMA(), c.options.checkOBMA);
  EXPECT_EQ(options.GetHelp(), c.options.help);
  EXPECT_EQ(options.GetCheckDiskSpace(), c.options.checkDiskSpace);
  EXPECT_EQ(options.GetTimeout(), c.options.timeout);
  EXPECT_EQ(options.GetCommandPause(), c.options.commandPause);
}

const ParseCase kParseCases[] = {
    // The first item: only a separator may come first, and a specifier after it.
    {.name = "Empty", .commandLine = "", .result = 0},
    {.name = "BlanksOnly", .commandLine = "  \t ", .result = -1},
    {.name = "TextBeforeFirstSeparator", .commandLine = "setup.exe /INSTALLSHIELD", .result = -1},
    {.name = "UnknownFirstSpecifier", .commandLine = "/FOO /CHECKADMIN", .result = -1},
    {.name = "BlankIsNotAColon", .commandLine = "/TIMEOUT 30", .result = -1},
    {.name = "LoneSeparator", .commandLine = "/", .result = -1},
    {.name = "SeparatorAfterSeparator", .commandLine = "/-CHECKADMIN", .result = -1},
    {.name = "WhiteSpaceBeforeFirstItem", .commandLine = " \t\r\n/?", .result = 0, .items = {{2, "", {}}},
     .options = {.help = 1}},

    // Specifier names: case-insensitive prefixes, either separator.
    {.name = "CheckAdminLowerCase", .commandLine = "/checkadmin", .result = 0, .items = {{0, "", {}}},
     .options = {.checkAdmin = 1}},
    {.name = "CheckAdminDashMixedCase", .commandLine = "-CheckAdmin", .result = 0, .items = {{0, "", {}}},
     .options = {.checkAdmin = 1}},
    {.name = "CheckAdminPlus", .commandLine = "/CHECKADMIN+", .result = 0, .items = {{0, "+", {}}},
     .options = {.checkAdmin = 1}},
    {.name = "CheckAdminLaterMinusWins", .commandLine = "/CHECKADMIN /CHECKADMIN-", .result = 0,
     .items = {{0, " ", {}}, {0, "-", {}}}},
    {.name = "CheckAdminBlankThenMinus", .commandLine = "/CHECKADMIN+ /CHECKADMIN -", .result = 0,
     .items = {{0, "+ ", {}}, {0, " -", {}}}},
    {.name = "CheckAdminLaterPlusWins", .commandLine = "/CHECKADMIN- /CHECKADMIN", .result = 0,
     .items = {{0, "- ", {}}, {0, "", {}}}, .options = {.checkAdmin = 1}},
    {.name = "CheckAdminLetterAfterName", .commandLine = "/CHECKADMINX", .result = -1, .items = {{0, "X", {}}}},
    {.name = "CheckAdminWord", .commandLine = "/CHECKADMIN yes", .result = -1, .items = {{0, " yes", {}}}},
    {.name = "CheckObmaSet", .commandLine = "/checkobma +", .result = 0, .items = {{1, " +", {}}},
     .options = {.checkOBMA = 1}},
    {.name = "CheckObmaLaterMinusWins", .commandLine = "-CHECKOBMA /CheckObma-", .result = 0,
     .items = {{1, " ", {}}, {1, "-", {}}}},
    {.name = "CheckObmaSymbol", .commandLine = "/CHECKOBMA *", .result = -1, .items = {{1, " *", {}}}},
    {.name = "CheckObmaSymbols", .commandLine = "/CHECKOBMA ++", .result = -1, .items = {{1, " ++", {}}}},
    {.name = "Help", .commandLine = "-?", .result = 0, .items = {{2, "", {}}}, .options = {.help = 1}},
    {.name = "HelpWithText", .commandLine = "/? x", .result = -1, .items = {{2, " x", {}}}},
    {.name = "NoCheckDiskSpace", .commandLine = "/NoCheckDiskSpace  ", .result = 0, .items = {{6, "  ", {}}},
     .options = {.checkDiskSpace = 0}},
    {.name = "NoCheckDiskSpaceWithText", .commandLine = "/NOCHECKDISKSPACE x", .result = -1,
     .items = {{6, " x", {}}}},

    // Seconds, stored as milliseconds.
    {.name = "TimeoutZero", .commandLine = "/TIMEOUT:0", .result = 0, .items = {{3, "0", {}}},
     .options = {.timeout = 0}},
    {.name = "TimeoutDoubleZero", .commandLine = "/TIMEOUT:00", .result = -1, .items = {{3, "00", {}}}},
    {.name = "TimeoutLetters", .commandLine = "/TIMEOUT:abc", .result = -1, .items = {{3, "abc", {}}}},
    {.name = "TimeoutEmpty", .commandLine = "/TIMEOUT:", .result = -1, .items = {{3, "", {}}}},
    {.name = "TimeoutBlanksOnly", .commandLine = "/TIMEOUT:   ", .result = -1, .items = {{3, "   ", {}}}},
    {.name = "TimeoutDigitsThenLetter", .commandLine = "/TIMEOUT:10s", .result = 0, .items = {{3, "10s", {}}},
     .options = {.timeout = 10000}},
    {.name = "TimeoutTrimmedLowerCase", .commandLine = "/timeout: 30 ", .result = 0, .items = {{3, " 30 ", {}}},
     .options = {.timeout = 30000}},
    {.name = "TimeoutNegativeWrapsUnsigned", .commandLine = "/TIMEOUT:-5", .result = 0, .items = {{3, "-5", {}}},
     .options = {.timeout = 4294962296u}},
    {.name = "TimeoutBeyondIntSaturates", .commandLine = "/TIMEOUT:99999999999", .result = 0,
     .items = {{3, "99999999999", {}}}, .options = {.timeout = 2147483647u * 1000u}},
    {.name = "TimeoutLaterWins", .commandLine = "/TIMEOUT:5 /TIMEOUT:7", .result = 0,
     .items = {{3, "5 ", {}}, {3, "7", {}}}, .options = {.timeout = 7000}},
    {.name = "CommandPauseZero", .commandLine = "/COMMANDPAUSE:0", .result = 0, .items = {{7, "0", {}}},
     .options = {.commandPause = 0}},
    {.name = "CommandPauseFive", .commandLine = "/commandpause:5", .result = 0, .items = {{7, "5", {}}},
     .options = {.commandPause = 5000}},
    {.name = "CommandPauseEmpty", .commandLine = "/COMMANDPAUSE:", .result = -1, .items = {{7, "", {}}}},
    {.name = "CommandPauseLetters", .commandLine = "/COMMANDPAUSE:x", .result = -1, .items = {{7, "x", {}}}},

    // Installation: program and arguments, split at the first blank.
    {.name = "InstallDefault", .commandLine = "/INSTALLSHIELD", .result = 0,
     .items = {{4, "", {"setup.exe", "-s -SMS"}}}},
    {.name = "InstallBlanksOnlyDefault", .commandLine = "/INSTALLSHIELD   ", .result = 0,
     .items = {{4, "   ", {"setup.exe", "-s -SMS"}}}},
    {.name = "InstallProgramOnly", .commandLine = "/INSTALLSHIELD app.exe", .result = 0,
     .items = {{4, " app.exe", {"app.exe", ""}}}},
    {.name = "InstallDashesStayText", .commandLine = "/INSTALLSHIELD setup.exe -s -SMS", .result = 0,
     .items = {{4, " setup.exe -s -SMS", {"setup.exe", " -s -SMS"}}}},
    {.name = "InstallInnerBlanksKept", .commandLine = "/INSTALLSHIELD  a.exe   -q  ", .result = 0,
     .items = {{4, "  a.exe   -q  ", {"a.exe", "   -q"}}}},
    {.name = "InstallQuotesMeanNothing", .commandLine = "/INSTALLSHIELD \"my app.exe\" -x", .result = 0,
     .items = {{4, " \"my app.exe\" -x", {"\"my", " app.exe\" -x"}}}},
    {.name = "InstallTabIsNotABlank", .commandLine = "/INSTALLSHIELD\tapp.exe", .result = 0,
     .items = {{4, "\tapp.exe", {"\tapp.exe", ""}}}},
    {.name = "InstallBlankAfterSpanIsNotSplit", .commandLine = "/INSTALLSHIELD a.exe /CHECKADMIN", .result = 0,
     .items = {{4, " a.exe ", {"a.exe", ""}}, {0, "", {}}}, .options = {.checkAdmin = 1}},
    {.name = "InstallBlankInNextItemIsNotSplit", .commandLine = "/INSTALLSHIELD a.exe/UNINSTALLSHIELD Old App",
     .result = 0, .items = {{4, " a.exe", {"a.exe", ""}}, {5, " Old App", {"Old App"}}}},
    {.name = "InstallTrailingSeparator", .commandLine = "/INSTALLSHIELD a.exe /", .result = 0,
     .items = {{4, " a.exe /", {"a.exe", " /"}}}},
    {.name = "SpecifierInsideWordStartsItem", .commandLine = "/INSTALLSHIELD my-checkadmin.exe", .result = -1,
     .items = {{4, " my", {"my", ""}}, {0, ".exe", {}}}},
    {.name = "TwoInstallations", .commandLine = "/INSTALLSHIELD a.exe /INSTALLSHIELD b.exe -y", .result = 0,
     .items = {{4, " a.exe ", {"a.exe", ""}}, {4, " b.exe -y", {"b.exe", " -y"}}}},

    // Uninstallation: one product name, enclosing quotes dropped.
    {.name = "UninstallQuotedName", .commandLine = "/UNINSTALLSHIELD \"My Product\"", .result = 0,
     .items = {{5, " \"My Product\"", {"My Product"}}}},
    {.name = "UninstallPlainNameLowerCase", .commandLine = "/uninstallshield  Prod  ", .result = 0,
     .items = {{5, "  Prod  ", {"Prod"}}}},
    {.name = "UninstallQuoteAtStartOnly", .commandLine = "/UNINSTALLSHIELD \"Prod", .result = 0,
     .items = {{5, " \"Prod", {"Prod"}}}},
    {.name = "UninstallNoName", .commandLine = "/UNINSTALLSHIELD", .result = -1, .items = {{5, "", {}}}},
    {.name = "UninstallEmptyQuotes", .commandLine = "/UNINSTALLSHIELD \"\"", .result = -1,
     .items = {{5, " \"\"", {}}}},
    {.name = "UninstallSingleQuote", .commandLine = "/UNINSTALLSHIELD \"", .result = -1, .items = {{5, " \"", {}}}},

    // Several items, applied in command-line order.
    {.name = "EveryKind",
     .commandLine = "/CHECKADMIN /TIMEOUT:30 /INSTALLSHIELD a.exe -x /UNINSTALLSHIELD \"Old App\" "
                    "/COMMANDPAUSE:2 /NOCHECKDISKSPACE -CHECKOBMA",
     .result = 0,
     .items = {{0, " ", {}},
               {3, "30 ", {}},
               {4, " a.exe -x ", {"a.exe", " -x"}},
               {5, " \"Old App\" ", {"Old App"}},
               {7, "2 ", {}},
               {6, " ", {}},
               {1, "", {}}},
     .options = {.checkAdmin = 1, .checkOBMA = 1, .checkDiskSpace = 0, .timeout = 30000, .commandPause = 2000}},
    {.name = "StopsAtFirstFailure", .commandLine = "/CHECKADMIN /? x /TIMEOUT:5", .result = -1,
     .items = {{0, " ", {}}, {2, " x ", {}}, {3, "5", {}}}, .options = {.checkAdmin = 1}},
};

INSTANTIATE_TEST_SUITE_P(CommandLines, ParseCmdLineCases, ::testing::ValuesIn(kParseCases),
                         [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, SeparatorAndSpecifierSearch) {
  const char achText[] = " \t x-y /FOO -? b";
  EXPECT_EQ(FindAnySeparator(nullptr, 0), nullptr);
  EXPECT_EQ(FindAnySeparator(achText, 1), nullptr);  // 'x' comes first
  EXPECT_EQ(FindAnySeparator(achText, 0), achText + 4);
  EXPECT_NE(FindAnySeparator(" \t\r\n\v\f/x", 1), nullptr);
  EXPECT_EQ(FindAnySeparator("   ", 0), nullptr);

  const char* pchSpecifier = achText;
  EXPECT_EQ(FindAnySpecifier(achText + 7, &pchSpecifier, 1), -1);
  EXPECT_EQ(pchSpecifier, achText) << "a separator without a name leaves the specifier alone";
  EXPECT_EQ(FindAnySpecifier(achText, &pchSpecifier, 1), -1);
  EXPECT_EQ(pchSpecifier, nullptr) << "no separator at all clears it";
  EXPECT_EQ(FindAnySpecifier(achText, &pchSpecifier, 0), CMDLINE_HELP);
  EXPECT_EQ(pchSpecifier, achText + 13);
  EXPECT_EQ(FindAnySpecifier(achText + 14, &pchSpecifier, 0), -1);
  EXPECT_EQ(pchSpecifier, nullptr);

  EXPECT_EQ(IsItSpecifier("uninstallSHIELD x"), CMDLINE_UNINSTALLSHIELD);
  EXPECT_EQ(IsItSpecifier("COMMANDPAUSE"), -1);  // the colon is part of the name
  EXPECT_EQ(IsItSpecifier(""), -1);
  EXPECT_EQ(IsItSpecifier("\xE9"), -1);
}

TEST_F(CommandLineTest, NullCommandLineIsEmpty) {
  EXPECT_EQ(ParseCmdLine(&GetCmdLineOptions(), &GetCmdLine(), nullptr), 0);
  EXPECT_EQ(GetCmdLine().GetItemCount(), 0);
  EXPECT_TRUE(HasLine(TraceLines(), "1\t   Command line is empty.\n"));
}

TEST_F(CommandLineTest, CountsInstallAndUninstallItems) {
  ASSERT_EQ(Parse("/CHECKADMIN /INSTALLSHIELD /TIMEOUT:3 /UNINSTALLSHIELD x /INSTALLSHIELD y"), 0);
  EXPECT_EQ(GetCmdLine().GetItemCount(), 5);
  EXPECT_EQ(GetCmdLine().GetInstUninstItemCount(), 3);
}

TEST_F(CommandLineTest, DefaultItemIsTheDefaultInstallation) {
  ASSERT_EQ(Parse("/CHECKADMIN"), 0);
  EXPECT_EQ(GetCmdLine().GetInstUninstItemCount(), 0);

  EXPECT_EQ(AddDefaultCmdLineItem(), 1);
  ASSERT_EQ(GetCmdLine().GetItemCount(), 2);
  const CCmdLineItem& item = GetCmdLine().GetCmdLineItem(1);
  EXPECT_EQ(item.GetType(), CMDLINE_INSTALLSHIELD);
  EXPECT_EQ(item.GetText().length(), 0u);
  ASSERT_EQ(item.GetParameterCount(), 2);
  EXPECT_EQ(SpanText(item.GetParameter(0)), "setup.exe");
  EXPECT_EQ(SpanText(item.GetParameter(1)), "-s -SMS");
  EXPECT_EQ(GetCmdLine().GetInstUninstItemCount(), 1);
}

TEST_F(CommandLineTest, ArgumentListItemTakesNullAsEmptyParameter) {
  const char* apchArgs[] = {"prog.exe", nullptr, ""};
  EXPECT_EQ(GetCmdLine().AddCmdLineItem(CMDLINE_UNINSTALLSHIELD, 3, apchArgs), 1);
  const CCmdLineItem& item = GetCmdLine().GetCmdLineItem(0);
  EXPECT_EQ(item.GetType(), CMDLINE_UNINSTALLSHIELD);
  ASSERT_EQ(item.GetParameterCount(), 3);
  EXPECT_EQ(SpanText(item.GetParameter(0)), "prog.exe");
  EXPECT_EQ(item.GetParameter(1).data(), nullptr);
  EXPECT_EQ(item.GetParameter(1).length(), 0u);
  EXPECT_EQ(item.GetParameter(2).length(), 0u);
}

TEST_F(CommandLineTest, ResetRestoresDefaults) {
  ASSERT_EQ(Parse("/CHECKADMIN /CHECKOBMA /? /NOCHECKDISKSPACE /TIMEOUT:1 /COMMANDPAUSE:1 /INSTALLSHIELD"), 0);
  ResetCmdLineState();
  EXPECT_EQ(GetCmdLine().GetItemCount(), 0);
  const CCmdLineOptions& options = GetCmdLineOptions();
  EXPECT_EQ(options.GetCheckAdmin(), 0);
  EXPECT_EQ(options.GetCheckOBMA(), 0);
  EXPECT_EQ(options.GetHelp(), 0);
  EXPECT_EQ(options.GetCheckDiskSpace(), 1);
  EXPECT_EQ(options.GetTimeout(), 0xFFFFFFFFu);
  EXPECT_EQ(options.GetCommandPause(), 30000u);
}

// ---------------------------------------------------------------------------
// Spans

enum class Trim { Leading, Trailing, Both, Quotes };

struct SpanCase {
  const char* name;
  std::string underlying;  // the span lies inside it, which goes on past the span
  std::size_t start;
  std::uint32_t length;
  Trim trim;
  std::size_t expectedStart;
  std::uint32_t expectedLength;
};

class SpanTrimCases : public CommandLineTest, public ::testing::WithParamInterface<SpanCase> {};

TEST_P(SpanTrimCases, MovesStartAndLengthOnly) {
  const SpanCase& c = GetParam();
  const std::string before = c.underlying;
  CCmdLineParam span(c.underlying.c_str() + c.start, c.length);
  switch (c.trim) {
    case Trim::Leading: span.ShiftLeadingSpaces(); break;
    case Trim::Trailing: span.ShiftTrailingSpaces(); break;
    case Trim::Both: span.ShiftLeadingAndTrailingSpaces(); break;
    case Trim::Quotes: span.ShiftQuotes(); break;
  }
  EXPECT_EQ(span.data() - c.underlying.c_str(), static_cast<std::ptrdiff_t>(c.expectedStart));
  EXPECT_EQ(span.length(), c.expectedLength);
  EXPECT_EQ(c.underlying, before);
}

const SpanCase kSpanCases[] = {
    {"LeadingSpaces", "  ab  ", 0, 6, Trim::Leading, 2, 4},
    {"TrailingSpaces", "  ab  ", 0, 6, Trim::Trailing, 0, 4},
    {"BothEnds", "  ab  ", 0, 6, Trim::Both, 2, 2},
    {"OnlySpacesKeepTheirStart", "   ", 0, 3, Trim::Both, 0, 0},
    {"TabIsNotASpace", "\tab \t", 0, 5, Trim::Both, 0, 5},
    {"LeadingStopsAtSpanEnd", "   x", 0, 3, Trim::Leading, 3, 0},
    {"TrailingLooksInsideSpanOnly", "a b", 0, 1, Trim::Trailing, 0, 1},
    {"BothInsideLongerString", "x   y   z", 1, 7, Trim::Both, 4, 1},
    {"QuotesBothEnds", "\"ab\"", 0, 4, Trim::Quotes, 1, 2},
    {"QuoteAtStartOnly", "\"ab", 0, 3, Trim::Quotes, 1, 2},
    {"QuoteAtEndOnly", "ab\"", 0, 3, Trim::Quotes, 0, 2},
    {"SingleQuote", "\"", 0, 1, Trim::Quotes, 0, 0},
    {"TwoQuotes", "\"\"", 0, 2, Trim::Quotes, 1, 0},
    {"OneQuoteFromEachEnd", "\"\"x\"\"", 0, 5, Trim::Quotes, 1, 3},
    {"QuoteBeyondSpanEndIgnored", "ab\"", 0, 2, Trim::Quotes, 0, 2},
    {"QuotesBehindSpacesStay", " \"a\" ", 0, 5, Trim::Quotes, 0, 5},
};

INSTANTIATE_TEST_SUITE_P(Spans, SpanTrimCases, ::testing::ValuesIn(kSpanCases),
                         [](const ::testing::TestParamInfo<SpanCase>& info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, EmptySpansAreLeftAlone) {
  const char achText[] = "abc";
  for (const CCmdLineParam& original : {CCmdLineParam(), CCmdLineParam(achText, 0)}) {
    CCmdLineParam span = original;
    span.ShiftLeadingSpaces();
    span.ShiftTrailingSpaces();
    span.ShiftLeadingAndTrailingSpaces();
    span.ShiftQuotes();
    EXPECT_EQ(span.data(), original.data());
    EXPECT_EQ(span.length(), 0u);
  }
  int nNoData = 0;
  for (const std::string& line : TraceLines()) nNoData += line == "1\t   No data to convert.\n";
  EXPECT_EQ(nNoData, 8);
}

struct ConvertCase {
  const char* name;
  std::string underlying;
  std::uint32_t length;
  unsigned size;
  std::string expected;
};

class ConvertToStringCases : public CommandLineTest, public ::testing::WithParamInterface<ConvertCase> {};

TEST_P(ConvertToStringCases, CopiesAtMostSizeAndTerminates) {
  const ConvertCase& c = GetParam();
  constexpr char kGuard = 'G';
  std::vector<char> buffer(c.size + 1 + 16, kGuard);
  CCmdLineParam span(c.length == 0 && c.underlying.empty() ? nullptr : c.underlying.data(), c.length);
  span.ConvertToString(buffer.data(), c.size);

  EXPECT_EQ(std::string(buffer.data()), c.expected);
  for (std::size_t i = c.size + 1; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], kGuard) << "byte " << i;
  EXPECT_TRUE(HasLine(TraceLines(), "1\t   The result is '" + c.expected + "'\n"));
}

const ConvertCase kConvertCases[] = {
    {"Whole", "abc", 3, 64, "abc"},
    {"CutToSize", "abcdef", 6, 4, "abcd"},
    {"SpanShorterThanString", "abcdef", 2, 64, "ab"},
    {"StopsAtNul", std::string("ab\0cd", 5), 5, 64, "ab"},
    {"SizeZero", "abc", 3, 0, ""},
    {"NullSpan", "", 0, 64, ""},
};

INSTANTIATE_TEST_SUITE_P(Spans, ConvertToStringCases, ::testing::ValuesIn(kConvertCases),
                         [](const ::testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Capacities and indexes

TEST_F(CommandLineTest, HundredSixtyFirstParameterThrowsOverflow) {
  CCmdLineItem item(CMDLINE_INSTALLSHIELD);
  for (int i = 0; i < CCmdLineItem::kMaxParamCount; ++i) item.AddParameter("p", 1);
  EXPECT_EQ(ThrownCode([&] { item.AddParameter("x", 1); }), KINETRA_OVERFLOW);
  EXPECT_EQ(item.GetParameterCount(), 160);
  const std::vector<std::string> lines = TraceLines();
  EXPECT_TRUE(HasLine(lines, "1\t   Adding to the current index: 160\n"));
  EXPECT_TRUE(HasLine(lines, "3\t   Can't add parameter, reason: too many parameters.\n"));
  EXPECT_TRUE(HasLine(lines, "1\t} AddParameter(x,1)\n"));  // left by the throw, still closed
}

TEST_F(CommandLineTest, SixHundredFortyFirstItemThrowsOverflow) {
  const char achText[] = " text";
  CCmdLine& cmdLine = GetCmdLine();
  for (int i = 0; i < CCmdLine::kMaxItemCount; ++i) ASSERT_EQ(cmdLine.AddCmdLineItem(CMDLINE_HELP, achText, 5), 1);
  EXPECT_EQ(ThrownCode([&] { cmdLine.AddCmdLineItem(CMDLINE_HELP, achText, 5); }), KINETRA_OVERFLOW);
  const char* apchArgs[] = {"a"};
  EXPECT_EQ(ThrownCode([&] { cmdLine.AddCmdLineItem(CMDLINE_INSTALLSHIELD, 1, apchArgs); }), KINETRA_OVERFLOW);
  EXPECT_EQ(ThrownCode([] { AddDefaultCmdLineItem(); }), KINETRA_OVERFLOW);
  EXPECT_EQ(cmdLine.GetItemCount(), 640);
  EXPECT_TRUE(HasLine(TraceLines(), "3\t   Can't add item, reason: too many items.\n"));
}

TEST_F(CommandLineTest, ArgumentListBeyondParameterCapacityAddsNoItem) {
  std::vector<const char*> args(CCmdLineItem::kMaxParamCount + 1, "a");
  EXPECT_EQ(ThrownCode([&] {
              GetCmdLine().AddCmdLineItem(CMDLINE_INSTALLSHIELD, static_cast<std::uint16_t>(args.size()), args.data());
            }),
            KINETRA_OVERFLOW);
  EXPECT_EQ(GetCmdLine().GetItemCount(), 0);
}

TEST_F(CommandLineTest, IndexesOutOfRangeThrowOverflow) {
  ASSERT_EQ(Parse("/INSTALLSHIELD a.exe -x"), 0);
  const CCmdLine& cmdLine = GetCmdLine();
  const CCmdLineItem& item = cmdLine.GetCmdLineItem(0);
  EXPECT_EQ(ThrownCode([&] { item.GetParameter(2); }), KINETRA_OVERFLOW);
  EXPECT_EQ(ThrownCode([&] { item.GetParameter(0xFFFF); }), KINETRA_OVERFLOW);
  EXPECT_EQ(ThrownCode([&] { cmdLine.GetCmdLineItem(1); }), KINETRA_OVERFLOW);
  EXPECT_EQ(ThrownCode([&] { GetCmdLine().GetCmdLineItem(0xFFFF); }), KINETRA_OVERFLOW);
  const std::vector<std::string> lines = TraceLines();
  EXPECT_TRUE(HasLine(lines, "3\tGetParameter called with invalid wParamIndex [2]\n"));
  EXPECT_TRUE(HasLine(lines, "3\tGetParameter called with invalid wParamIndex [65535]\n"));
  EXPECT_TRUE(HasLine(lines, "3\tGetCmdLineItem called with invalid wItemIndex = [1]\n"));
}

TEST_F(CommandLineTest, CommandLineOfMaximumItems) {
  std::string text;
  for (int i = 0; i < CCmdLine::kMaxItemCount; ++i) text += "/?";
  EXPECT_EQ(Parse(text), 0);
  EXPECT_EQ(GetCmdLine().GetItemCount(), 640);
  EXPECT_EQ(GetCmdLineOptions().GetHelp(), 1);

  ResetCmdLineState();
  EXPECT_EQ(ThrownCode([&] { Parse(text + "-?"); }), KINETRA_OVERFLOW);
  EXPECT_EQ(GetCmdLine().GetItemCount(), 640);
}

// ---------------------------------------------------------------------------
// Trace lines

TEST_F(CommandLineTest, FailureIsTracedByEachLevel) {
  ASSERT_EQ(Parse("/? x"), -1);
  const std::vector<std::string> lines = TraceLines();
  const std::vector<std::string> expected = {
      "3\t            Parsing failed\n",
      "1\t         } CCmdLineItem::ParseHelpParameters(0x",
      "3\t         Parsing failed with error code: -1\n",
      "1\t      } CCmdLineItem::ParseParameters(0x",
      "3\t      Parsing failed with error code: -1\n",
      "1\t   } CCmdLine::ParseAllParameters()\n",
      "3\t   Parsing failed with error code: -1\n",
      "1\t} ParseCmdLine(0x",
  };
  auto it = lines.begin();
  for (const std::string& want : expected) {
    it = std::find_if(it, lines.end(), [&](const std::string& line) { return line.rfind(want, 0) == 0; });
    ASSERT_NE(it, lines.end()) << "missing, in order: " << want;
    ++it;
  }
  EXPECT_EQ(lines.back().substr(lines.back().size() - 7), ",/? x)\n");
}

TEST_F(CommandLineTest, SuccessfulParseTracesEntriesAndResults) {
  ASSERT_EQ(Parse("/INSTALLSHIELD a.exe /CHECKADMIN"), 0);
  const std::vector<std::string> lines = TraceLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front().rfind("1\t{ ParseCmdLine(0x", 0), 0u) << lines.front();
  EXPECT_NE(lines.front().find(",/INSTALLSHIELD a.exe /CHECKADMIN)\n"), std::string::npos) << lines.front();
  // A text argument shows everything up to the end of the command line.
  EXPECT_TRUE(HasLine(lines, "1\t   { AddCmdLineItem(4, a.exe /CHECKADMIN,7)\n"));
  EXPECT_TRUE(HasLine(lines, "1\t   { AddCmdLineItem(0,,0)\n"));
  EXPECT_TRUE(HasLine(lines, "1\t         Specifier was found: 'INSTALLSHIELD', index: [4]\n"));
  EXPECT_TRUE(HasLine(lines, "1\t   Previous Specifier was found, type: 4\n"));
  EXPECT_TRUE(HasLine(lines, "1\t   Next Specifier was found, type: 0\n"));
  EXPECT_TRUE(HasLine(lines, "1\t   Parsing specifers completed. Parsing all parameters...\n"));
  EXPECT_TRUE(HasLine(lines, "1\t      Parsing OK.\n"));
  EXPECT_TRUE(HasLine(lines, "1\t   Parsing complete.\n"));
  EXPECT_TRUE(HasLine(lines, "1\t            Setting checkadmin flag.\n"));
}

TEST_F(CommandLineTest, DefaultInstallationMessageHasNoLineFeed) {
  ASSERT_EQ(Parse("/INSTALLSHIELD"), 0);
  const std::string message = "Installation parameters aren't specified, using default: setup.exe -s -SMS";
  EXPECT_NE(std::find(fake.debugPieces.begin(), fake.debugPieces.end(), message), fake.debugPieces.end());
  // The next message, the entry of AddParameter, goes on in the same line.
  EXPECT_NE(fake.debugOutput.find(message + "1\t"), std::string::npos);
}

TEST_F(CommandLineTest, StrictSearchFailuresAreTraced) {
  ASSERT_EQ(Parse("setup.exe /INSTALLSHIELD"), -1);
  std::vector<std::string> lines = TraceLines();
  EXPECT_TRUE(HasLine(lines, "2\t         First non-space symbol is not a separator.\n"));
  EXPECT_TRUE(HasLine(lines, "3\t   No valid specifiers was found in non-empty command line.\n"));

  fake.debugOutput.clear();
  ASSERT_EQ(Parse("/FOO"), -1);
  lines = TraceLines();
  EXPECT_TRUE(HasLine(lines, "1\t         Separator found: /\n"));
  EXPECT_TRUE(HasLine(lines, "1\t         No specifiers was found.\n"));
  EXPECT_TRUE(HasLine(lines, "2\t      Symbols after first separator don't form a valid specifier.\n"));
}

TEST_F(CommandLineTest, OnlySpacesSpanTrace) {
  const char achText[] = "   ";
  CCmdLineParam span(achText, 3);
  span.ShiftLeadingAndTrailingSpaces();
  const std::vector<std::string> expected = {
      "1\t{ ShiftLeadingAndTrailingSpaces(   ,3)\n",
      "1\t   { ShiftTrailingSpaces(   ,3)\n",
      "1\t      Result is '   ', length: 0\n",
      "1\t   } ShiftTrailingSpaces(   ,3)\n",
      "1\t   { ShiftLeadingSpaces(   ,0)\n",
      "1\t      No data to convert.\n",
      "1\t   } ShiftLeadingSpaces(   ,0)\n",
      "1\t   Result is '   ', length: 0\n",
      "1\t} ShiftLeadingAndTrailingSpaces(   ,3)\n",
  };
  EXPECT_EQ(TraceLines(), expected);
}

TEST_F(CommandLineTest, TimeoutResultIsTracedUnsigned) {
  ASSERT_EQ(Parse("/TIMEOUT:-5"), 0);
  EXPECT_TRUE(HasLine(TraceLines(), "1\t            Parsing OK, result timeout: 4294962296\n"));
  fake.debugOutput.clear();
  ResetCmdLineState();
  ASSERT_EQ(Parse("/COMMANDPAUSE:abc"), -1);
  EXPECT_TRUE(HasLine(TraceLines(), "3\t            CommandPause results in 0. Possible error.\n"));
}

// ---------------------------------------------------------------------------
// Hostile input: nothing is read or written outside the command line, and
// the result is always 0, -1 or a thrown -4.

// The spans of a parse lie inside the working copy, in order and without
// overlapping; parameters lie inside their item's text or are the defaults.
void ExpectSpansInside(const std::vector<char>& workingCopy) {
  const char* pchBegin = workingCopy.data();
  const char* pchEnd = pchBegin + std::strlen(pchBegin);
  const char* pchPreviousEnd = pchBegin;
  const CCmdLine& cmdLine = GetCmdLine();
  for (std::uint16_t i = 0; i < cmdLine.GetItemCount(); ++i) {
    const CCmdLineItem& item = cmdLine.GetCmdLineItem(i);
    const CCmdLineParam& text = item.GetText();
    ASSERT_GE(text.data(), pchPreviousEnd) << "item " << i;
    ASSERT_LE(text.data() + text.length(), pchEnd) << "item " << i;
    pchPreviousEnd = text.data() + text.length();
    for (std::uint16_t p = 0; p < item.GetParameterCount(); ++p) {
      const CCmdLineParam param = item.GetParameter(p);
      if (param.data() == nullptr) continue;
      const bool bInside = param.data() >= text.data() && param.data() + param.length() <= pchPreviousEnd;
      const std::string value = SpanText(param);
      ASSERT_TRUE(bInside || value == "setup.exe" || value == "-s -SMS") << "item " << i << " parameter " << p;
    }
  }
}

struct HostileCase {
  const char* name;
  std::string commandLine;
  int result;
  std::size_t itemCount;
};

std::string Repeat(const std::string& piece, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

std::string AllByteValues(std::size_t length) {
  std::string text;
  for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(1 + i % 255);
  return text;
}

class HostileCommandLines : public CommandLineTest, public ::testing::WithParamInterface<HostileCase> {};

TEST_P(HostileCommandLines, StayInsideTheCommandLine) {
  const HostileCase& c = GetParam();
  EXPECT_EQ(Parse(c.commandLine), c.result);
  EXPECT_EQ(GetCmdLine().GetItemCount(), c.itemCount);
  ExpectSpansInside(workingCopy);
  EXPECT_EQ(std::string(workingCopy.data()), c.commandLine) << "the command line was written to";
  // Entry texts and messages are cut, however long the command line is.
  for (const std::string& piece : fake.debugPieces) ASSERT_LE(piece.size(), 1023u);
}

const HostileCase kHostileCases[] = {
    {"HundredKilobyteProgram", "/INSTALLSHIELD " + std::string(100000, 'a') + " -x", 0, 1},
    {"HundredKilobyteOption", "/CHECKADMIN " + std::string(100000, 'y'), -1, 1},
    {"HundredKilobyteOfBlanks", std::string(100000, ' '), -1, 0},
    {"HundredKilobyteTimeout", "/TIMEOUT:" + std::string(100000, '9'), 0, 1},
    {"AllByteValues", "/INSTALLSHIELD " + AllByteValues(100000), 0, 1},
    {"HighBytesAfterSeparator", "/\xE9\xFF\x80", -1, 0},
    {"HighBytesInName", "/CHECK\xC1\xC4MIN", -1, 0},
    {"TwoThousandSlashes", "/INSTALLSHIELD " + std::string(2000, '/'), 0, 1},
    {"TwoThousandDashes", "/UNINSTALLSHIELD " + std::string(2000, '-'), 0, 1},
    {"TwoThousandSeparatorsAfterFirst", "/" + Repeat("-/", 1000), -1, 0},
    {"TwoThousandBlankDashes", "/CHECKADMIN" + Repeat(" -", 2000), -1, 1},
    {"SeparatorsAroundNames", Repeat("-?/", 500), -1, 500},
};

INSTANTIATE_TEST_SUITE_P(Input, HostileCommandLines, ::testing::ValuesIn(kHostileCases),
                         [](const ::testing::TestParamInfo<HostileCase>& info) { return std::string(info.param.name); });

TEST_F(CommandLineTest, TooManyItemsInLongCommandLineThrow) {
  EXPECT_EQ(ThrownCode([&] { Parse(Repeat("/?", 2000)); }), KINETRA_OVERFLOW);
  EXPECT_EQ(GetCmdLine().GetItemCount(), 640);
  ExpectSpansInside(workingCopy);
}

TEST_F(CommandLineTest, RandomCommandLinesStayInside) {
  static const char* const kTokens[] = {"/", "-", " ", "  ", "\t", "\"", "?", "+", "x", "0", "5", ":",
                                        "CHECKADMIN", "checkobma", "TIMEOUT:", "InstallShield", "UNINSTALLSHIELD",
                                        "NOCHECKDISKSPACE", "COMMANDPAUSE:", "\xFF", "\x80", "\x01"};
  constexpr std::size_t kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int run = 0; run < 300; ++run) {
    std::string text;
    const std::uint32_t tokens = next() % 60;
    for (std::uint32_t t = 0; t < tokens; ++t) text += kTokens[next() % kTokenCount];
    SCOPED_TRACE(text);
    ResetCmdLineState();
    fake.debugOutput.clear();
    fake.debugPieces.clear();
    const int nResult = Parse(text);
    EXPECT_TRUE(nResult == 0 || nResult == -1) << nResult;
    ExpectSpansInside(workingCopy);
    ASSERT_EQ(std::string(workingCopy.data()), text);
  }
}

}  // namespace
