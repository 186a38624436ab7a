// The trace as administrators read it: exact bytes of its lines, the
// configuration file and its traps, re-reading, and the scope discipline.

#include <gtest/gtest.h>

#include <string>

#include "setup_launcher/tests/fake_trace_platform.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

const std::string kDate = "26/03/07 09:05:04\t";
const std::string kProgramDir = "C:\\app\\";

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetTraceLog();
    SetTracePlatform(&fake);
  }

  // A configuration in the current directory and next to the program.
  void WriteConfig(const std::string& content) {
    fake.WriteFile("Kinetra.cfg", content);
    fake.WriteFile(kProgramDir + "Kinetra.cfg", content);
  }

  // A launcher run in miniature, inside the process-wide scope.
  void RunSample() {
    TraceScope process("*\n");
    InitTraceLog();
    TraceCallText call;
    call.Text("Sample(").Signed(-3).Text(")\n");
    TraceScope scope(call.c_str());
    TraceMessage(TRACE_INFO, 0, "%s", "info\n");
    TraceMessage(TRACE_WARNING, 0, "%s", "warning\n");
    TraceMessage(TRACE_ERROR, 0, "%s", "error\n");
  }

  FakeTracePlatform fake;
};

// The sample's lines with the given column prefixes per severity.
std::string SampleLines(const std::string& columns) {
  return "1\t" + columns + "{ Sample(-3)\n" + "1\t" + columns + "   info\n" + "2\t" + columns + "   warning\n" +
         "3\t" + columns + "   error\n" + "1\t" + columns + "} Sample(-3)\n";
}

TEST_F(TraceTest, DefaultTraceIsAppendedToTheWindowsDirectoryWithDateAndNoHeader) {
  fake.WriteFile("C:\\windows\\Kinetra.log", "earlier run\n");
  RunSample();
  EXPECT_EQ(fake.ReadFile("C:\\windows\\Kinetra.log"), "earlier run\n" + SampleLines(kDate));
  EXPECT_EQ(fake.debugOutput, "");
  EXPECT_EQ(fake.lockInits, 1);
  EXPECT_EQ(fake.lockDeletes, 1) << "closing the outermost scope closes the trace";
  EXPECT_EQ(fake.lockEnters, fake.lockLeaves);
}

TEST_F(TraceTest, DefaultTraceOverTheSizeLimitIsDeletedFirst) {
  const std::string path = "C:\\windows\\Kinetra.log";
  for (std::size_t size : {std::size_t{0x100000}, std::size_t{0x100001}}) {
    SCOPED_TRACE(size);
    ResetTraceLog();
    SetTracePlatform(&fake);
    fake.WriteFile(path, std::string(size, 'x'));
    RunSample();
    const std::string content = fake.ReadFile(path);
    if (size == 0x100000) {
      EXPECT_EQ(content.size(), size + SampleLines(kDate).size()) << "exactly the limit stays";
    } else {
      EXPECT_EQ(content, SampleLines(kDate)) << "one byte more is deleted";
    }
  }
}

TEST_F(TraceTest, UnwritableDefaultTraceGoesToTheDebuggerWithDate) {
  fake.windowsDirectory = "C:\\nowhere";
  RunSample();
  EXPECT_EQ(fake.debugOutput, SampleLines(kDate));
  // Every column is a piece of its own, then the indentation, then the text.
  ASSERT_GE(fake.debugPieces.size(), 4u);
  EXPECT_EQ(fake.debugPieces[0], "1\t");
  EXPECT_EQ(fake.debugPieces[1], kDate);
  EXPECT_EQ(fake.debugPieces[2], "{ Sample(-3)\n");
  EXPECT_EQ(fake.debugPieces[5], "   ");
}

TEST_F(TraceTest, ConfigurationNamesColumnsInTheHeaderAndOnEveryLine) {
  WriteConfig("tc\ndt\ntid\ntf=trace.txt\n");
  RunSample();
  EXPECT_EQ(fake.ReadFile(kProgramDir + "trace.txt"),
            "ts tid dt tc \n" + SampleLines("1A2B\t" + kDate + "00C0FFEE\t"));
  EXPECT_FALSE(fake.Exists("C:\\windows\\Kinetra.log")) << "a configuration replaces the default trace";
}

TEST_F(TraceTest, ConfigurationKeysAndTheirTraps) {
  struct Case {
    const char* name;
    std::string config;
    std::string debugOutput;
  };
  const std::string all = SampleLines("");
  const std::string errorsOnly = "3\t   error\n";
  const Case cases[] = {
      {"dt alone", "dt\n", SampleLines(kDate)},
      {"tf holding dt is the dt key", "tf=C:\\dtrace.log\n", SampleLines(kDate)},
      {"tf holding ts is the ts key and silences", "tf=C:\\logs\\tests.log\n", ""},
      {"tfr is never a trace file", "tfr=30\n", all},
      {"commented notrace", "# notrace\n", all},
      {"blank-prefixed notrace", " notrace\n", ""},
      {"tid and dt on one line: only tid", "tid dt\n", SampleLines("1A2B\t")},
      {"tl=-1 drops level 0", "tl=-1\n", ""},
      {"tl without = changes nothing", "tl\n", all},
      {"ts=1 keeps errors", "ts=1\n", errorsOnly},
      {"ts=3 keeps errors and warnings", "ts=3\n", "2\t   warning\n" + errorsOnly},
      {"value ends after blanks at the end of the file", "ts=   ", all},
      {"line break right after = reads as 0", "ts=\n", ""},
      {"nid drops indentation", "nid\n",
       "1\t{ Sample(-3)\n1\tinfo\n2\twarning\n3\terror\n1\t} Sample(-3)\n"},
      {"empty tf name opens nothing", "tf=\n", all},
      {"unknown open mode opens nothing", "tf=trace.txt, zz\n", all},
      {"open mode longer than seven characters", "tf=trace.txt, a+b+b+bb\n", all},
      {"a repeated flag", "tf=trace.txt, a++\n", all},
      {"text and binary at once", "tf=trace.txt, wbt\n", all},
      {"name too long to keep", "tf=" + std::string(300, 'n') + "\n", all},
      {"a line longer than the buffer is read in pieces", std::string(5000, 'x') + "ts=1\n", errorsOnly},
      {"a commented long line", std::string(1000, '#') + "ts=1\n", all},
      {"binary bytes and no final line break", std::string("\x01\xff\x7f=\x80\n\0ts=1", 11), all},
      {"key names are case-sensitive", "NOTRACE\nDT\n", all},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetTraceLog();
    fake.debugOutput.clear();
    SetTracePlatform(&fake);
    WriteConfig(c.config);
    RunSample();
    EXPECT_EQ(fake.debugOutput, c.debugOutput);
    EXPECT_FALSE(fake.Exists("C:\\dtrace.log"));
    EXPECT_FALSE(fake.Exists("C:\\windows\\Kinetra.log"));
  }
}

TEST_F(TraceTest, ConfigurationOnlyInTheCurrentDirectoryIsNotRead) {
  fake.WriteFile("Kinetra.cfg", "dt\ntid\n");
  RunSample();
  EXPECT_EQ(fake.debugOutput, SampleLines("")) << "the settings of before any start-up";
}

TEST_F(TraceTest, TraceFileModes) {
  const std::string trace = kProgramDir + "trace.txt";
  struct Case {
    const char* line;
    std::string expected;
  };
  const Case cases[] = {
      {"tf=trace.txt\n", "ts \n" + SampleLines("")},
      {"tf=trace.txt,\n", "ts \n" + SampleLines("")},
      {"tf=trace.txt, a\n", "old\nts \n" + SampleLines("")},
      {"tf=trace.txt,a", "old\nts \n" + SampleLines("")},
      {"tf=C:\\app\\trace.txt, a\n", "old\nts \n" + SampleLines("")},
      {"tf=trace.txt, a+b\n", "old\nts \n" + SampleLines("")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ResetTraceLog();
    SetTracePlatform(&fake);
    fake.WriteFile(trace, "old\n");
    WriteConfig(c.line);
    RunSample();
    EXPECT_EQ(fake.ReadFile(trace), c.expected);
  }
}

TEST_F(TraceTest, RereadAfterTheIntervalSwitchesTheTraceBackOn) {
  WriteConfig("tfr=60\nnotrace\n");
  TraceScope process("*\n");
  InitTraceLog();
  fake.WriteFile(kProgramDir + "Kinetra.cfg", "tfr=60\n");
  fake.now += 59;
  TraceMessage(TRACE_INFO, 0, "%s", "too early\n");
  EXPECT_EQ(fake.debugOutput, "");
  fake.now += 1;
  TraceMessage(TRACE_INFO, 0, "%s", "back on\n");
  EXPECT_EQ(fake.debugOutput, "1\tback on\n");
  // The reading was recorded: the next message within 60 s reads nothing.
  fake.WriteFile(kProgramDir + "Kinetra.cfg", "tfr=60\nnotrace\n");
  fake.now += 30;
  TraceMessage(TRACE_INFO, 0, "%s", "still on\n");
  EXPECT_EQ(fake.debugOutput, "1\tback on\n1\tstill on\n");
}

TEST_F(TraceTest, NegativeIntervalRereadsBeforeEveryMessage) {
  WriteConfig("tfr=-5\n");
  TraceScope process("*\n");
  InitTraceLog();
  TraceMessage(TRACE_INFO, 0, "%s", "one\n");
  fake.WriteFile(kProgramDir + "Kinetra.cfg", "tfr=-5\ntid\n");
  TraceMessage(TRACE_INFO, 0, "%s", "two\n");
  EXPECT_EQ(fake.debugOutput, "1\tone\n1\t1A2B\ttwo\n");
}

TEST_F(TraceTest, RereadKeepsTheSameFileAndSwitchesToAnother) {
  WriteConfig("tfr=-1\ntf=trace.txt\n");
  {
    TraceScope process("*\n");
    InitTraceLog();
    TraceMessage(TRACE_INFO, 0, "%s", "one\n");
    TraceMessage(TRACE_INFO, 0, "%s", "two\n");
    fake.WriteFile(kProgramDir + "Kinetra.cfg", "tfr=-1\ntf=other.txt, a\n");
    TraceMessage(TRACE_INFO, 0, "%s", "three\n");
    fake.WriteFile(kProgramDir + "Kinetra.cfg", "tfr=-1\n");
    TraceMessage(TRACE_INFO, 0, "%s", "four\n");
  }
  EXPECT_EQ(fake.ReadFile(kProgramDir + "trace.txt"), "ts \n1\tone\n1\ttwo\n")
      << "the same name again keeps the file open with one header";
  EXPECT_EQ(fake.ReadFile(kProgramDir + "other.txt"), "ts \n1\tthree\n1\tfour\n")
      << "no tf line leaves the open file open";
}

TEST_F(TraceTest, NestedScopesAndAnExitWhileAnErrorCodeUnwinds) {
  TraceScope process("*\n");
  try {
    TraceScope outer("Outer()\n");
    {
      TraceScope inner("Inner()\n");
      TraceMessage(TRACE_INFO, 0, "%s", "deep\n");
      throw -4;
    }
  } catch (int) {
    TraceMessage(TRACE_INFO, 0, "%s", "caught\n");
  }
  EXPECT_EQ(fake.debugOutput,
            "1\t{ Outer()\n1\t   { Inner()\n1\t      deep\n1\t   } Inner()\n1\t} Outer()\n1\tcaught\n");
}

TEST_F(TraceTest, NothingIsWrittenAfterTheOutermostScopeCloses) {
  { TraceScope process("*\n"); }
  TraceMessage(TRACE_ERROR, 0, "%s", "late\n");
  EXPECT_EQ(fake.debugOutput, "") << "the outermost scope writes nothing and closes the trace";
}

TEST_F(TraceTest, SettingsAndTheMessageCut) {
  TraceScope process("*\n");
  SetTraceSettings(TRACE_WARNING, -7, 0, 1);
  TraceMessage(TRACE_WARNING, 1, "%s", "level 1 is over the threshold 0\n");
  TraceMessage(TRACE_INFO, 0, "%s", "category masked\n");
  TraceMessage(TRACE_WARNING, 0, "%d\n", 5);
  EXPECT_EQ(fake.debugOutput, "2\t1A2B\t5\n");

  fake.debugOutput.clear();
  SetTraceSettings(0xFFFFFFFFu, 0, 0, 0);
  const std::string longText(2000, 'z');
  TraceMessage(64, 0, "%s", longText.c_str());
  EXPECT_EQ(fake.debugOutput, "0\t" + std::string(1023, 'z')) << "other categories get severity 0";
}

TEST(TraceCallText, AppendsAndTheCutAt255) {
  TraceCallText call;
  call.Text("F(").Text(nullptr).Text(",").Signed(-22).Text(",").Unsigned(4294967295ul).Text(",");
  call.Pointer(reinterpret_cast<const void*>(std::uintptr_t{0xABC}));
  const std::string pointer = "0x" + std::string(2 * sizeof(void*) - 3, '0') + "ABC";
  EXPECT_EQ(std::string(call.c_str()), "F(,-22,4294967295," + pointer);

  TraceCallText full;
  full.Text(std::string(250, 'a').c_str()).Text("0123456789").Signed(1).Text("more");
  EXPECT_EQ(std::string(full.c_str()), std::string(250, 'a') + "01234");
}

}  // namespace
