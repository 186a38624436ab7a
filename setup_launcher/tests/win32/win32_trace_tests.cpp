// The trace and the string table over the real Win32 calls: Kinetra.log in
// the Windows directory, a Kinetra.cfg that names another file, LoadStringA.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "setup_launcher/error_codes.h"
#include "setup_launcher/tests/win32/win32_test_files.h"
#include "setup_launcher/trace/trace_log.h"
#include "setup_launcher/trace/win32_trace_platform.h"
#include "setup_launcher/win32_string_resources.h"

namespace {

// Lines as the text-mode trace file holds them: each ends with CR LF.
std::vector<std::string> Lines(const std::string& content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = content.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(content.substr(start, end - start));
  }
  EXPECT_EQ(start, content.size()) << "every line ends with CR LF";
  return lines;
}

// "%2d/%02d/%02d %02d:%02d:%02d" of the local time, checked field by field.
void ExpectDateColumn(const std::string& column) {
  ASSERT_EQ(column.size(), 17u) << column;
  SYSTEMTIME now{};
  GetLocalTime(&now);
  char achYear[3];
  std::snprintf(achYear, sizeof(achYear), "%2d", now.wYear % 100);
  EXPECT_EQ(column.substr(0, 2), achYear);
  for (std::size_t i : {2u, 5u}) EXPECT_EQ(column[i], '/');
  EXPECT_EQ(column[8], ' ');
  for (std::size_t i : {11u, 14u}) EXPECT_EQ(column[i], ':');
}

class Win32Trace : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTraceLog();
    SetTracePlatform(&platform_);
  }
  void TearDown() override { ResetTraceLog(); }

  static void RunSample() {
    TraceScope process("*\n");
    InitTraceLog();
    TraceScope scope("WinMain()\n");
    TraceMessage(TRACE_INFO, 0, "%s", "inside\n");
  }

  Win32TracePlatform platform_;
};

TEST_F(Win32Trace, DefaultTraceGoesToKinetraLogInTheWindowsDirectory) {
  DeleteFileA("Kinetra.cfg");
  char achWindows[MAX_PATH] = {};
  ASSERT_GT(GetWindowsDirectoryA(achWindows, MAX_PATH), 0u);
  const std::string log = std::string(achWindows) + "\\Kinetra.log";
  DeleteFileA(log.c_str());

  RunSample();

  const std::vector<std::string> lines = Lines(ReadWhole(log));
  ASSERT_EQ(lines.size(), 3u) << "no header on the default trace";
  const char* const expected[] = {"{ WinMain()", "   inside", "} WinMain()"};
  for (std::size_t i = 0; i < lines.size(); ++i) {
    SCOPED_TRACE(lines[i]);
    ASSERT_GT(lines[i].size(), 20u);
    EXPECT_EQ(lines[i].substr(0, 2), "1\t");
    ExpectDateColumn(lines[i].substr(2, 17));
    EXPECT_EQ(lines[i][19], '\t');
    EXPECT_EQ(lines[i].substr(20), expected[i]);
  }
}

TEST_F(Win32Trace, ConfigurationBesideTheProgramNamesTheTraceFile) {
  // The current directory only decides whether a configuration is used; the
  // one that is read sits beside the program.
  char achTemp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathA(MAX_PATH, achTemp), 0u);
  const std::string cwd = std::string(achTemp) + "kinetra_cfg_cwd";
  CreateDirectoryA(cwd.c_str(), nullptr);
  char achSaved[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, achSaved);
  ASSERT_TRUE(SetCurrentDirectoryA(cwd.c_str()));
  WriteWhole(cwd + "\\Kinetra.cfg", "notrace\n");
  const std::string besideProgram = ProgramDirectory() + "\\Kinetra.cfg";
  WriteWhole(besideProgram, "# the trace for this test\ntid\ntf=kinetra_trace_test.txt\n");
  const std::string trace = ProgramDirectory() + "\\kinetra_trace_test.txt";
  WriteWhole(trace, "left from before\n");

  RunSample();

  SetCurrentDirectoryA(achSaved);
  DeleteFileA((cwd + "\\Kinetra.cfg").c_str());
  DeleteFileA(besideProgram.c_str());
  const std::vector<std::string> lines = Lines(ReadWhole(trace));
  DeleteFileA(trace.c_str());

  char achThread[16];
  std::snprintf(achThread, sizeof(achThread), "%lX\t", GetCurrentThreadId());
  const std::vector<std::string> expected = {"ts tid ", "1\t" + std::string(achThread) + "{ WinMain()",
                                             "1\t" + std::string(achThread) + "   inside",
                                             "1\t" + std::string(achThread) + "} WinMain()"};
  EXPECT_EQ(lines, expected) << "mode w empties the file and the header comes first";
}

TEST(Win32StringTable, HoldsTheTextsOfTheBuiltInTable) {
  Win32StringResources resources;
  HINSTANCE hInstance = GetModuleHandleA(nullptr);
  for (unsigned uId : {96u, 97u, 100u, 101u, 102u, 103u, 104u, 105u, 106u, 107u, 108u, 109u, 110u, 111u, 112u}) {
    char achText[1024] = {};
    const int nLength = resources.LoadText(hInstance, uId, achText, sizeof(achText));
    ASSERT_NE(BuiltinStringResources::Find(uId), nullptr);
    EXPECT_STREQ(achText, BuiltinStringResources::Find(uId)) << "string " << uId;
    EXPECT_EQ(nLength, static_cast<int>(std::strlen(achText)));
  }
  char achMissing[16] = "x";
  EXPECT_EQ(resources.LoadText(hInstance, 113, achMissing, sizeof(achMissing)), 0);

  SetStringResources(&resources);
  char achCut[8];
  EXPECT_EQ(GetErrorDescription(hInstance, -4, achCut, sizeof(achCut)), 1);
  EXPECT_STREQ(achCut, "Kinetra") << "cut to the buffer less one, terminated";
  char achFull[1024];
  EXPECT_EQ(GetErrorDescription(hInstance, -24, achFull, sizeof(achFull)), 1);
  EXPECT_STREQ(achFull, "Kinetra waiting timeout elapsed (/TIMEOUT specified)");
  EXPECT_EQ(GetErrorDescription(hInstance, -5, achFull, sizeof(achFull)), 0);
  SetStringResources(nullptr);
}

}  // namespace
