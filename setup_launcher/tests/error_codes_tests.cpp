#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "setup_launcher/error_codes.h"
#include "setup_launcher/tests/fake_trace_platform.h"
#include "setup_launcher/trace/trace_log.h"

namespace {

TEST(ErrorDescription, KnownCodesLoadTheirText) {
  struct Case {
    int nCode;
    const char* expected;
  };
  const Case cases[] = {
      {-1, "Invalid command line passed to Kinetra"},
      {-3, "Kinetra was unable to get the result code from setup.log file"},
      {-4, "Kinetra overflow"},
      {-23, "System drive hasn't enough free disk space for Setup temporary files"},
      {-24, "Kinetra waiting timeout elapsed (/TIMEOUT specified)"},
      {-25, "Kinetra unhandled exception"},
      {-27, "Kinetra was unable to report the result to Registry"},
  };
  for (const Case& c : cases) {
    char achResult[1024] = "untouched";
    EXPECT_EQ(GetErrorDescription(nullptr, c.nCode, achResult, sizeof(achResult)), 1) << c.nCode;
    EXPECT_STREQ(achResult, c.expected);
  }
}

TEST(ErrorDescription, UnknownCodesLoadNothing) {
  for (int nCode : {0, 5, -5, -28, -21}) {
    char achResult[64] = "untouched";
    EXPECT_EQ(GetErrorDescription(nullptr, nCode, achResult, sizeof(achResult)), 0) << nCode;
    EXPECT_STREQ(achResult, "untouched");
  }
}

TEST(ErrorDescription, SmallBufferGetsTheTextCutAndTerminated) {
  FakeTracePlatform fake;
  ResetTraceLog();
  SetTracePlatform(&fake);
  {
    TraceScope process("*\n");
    char achResult[8];
    std::memset(achResult, 'x', sizeof(achResult));
    EXPECT_EQ(GetErrorDescription(nullptr, -4, achResult, 8), 1);
    EXPECT_STREQ(achResult, "Kinetra");
  }
  EXPECT_NE(fake.debugOutput.find("1\t{ GetErrorDescription(0x"), std::string::npos) << fake.debugOutput;
  EXPECT_NE(fake.debugOutput.find(",-4,0x"), std::string::npos);
  EXPECT_NE(fake.debugOutput.find(",8)\n1\t   Loaded. Result: 'Kinetra'\n1\t} GetErrorDescription("),
            std::string::npos)
      << fake.debugOutput;
}

// A string table that lacks a string: the description is not loaded.
class EmptyStrings final : public IStringResources {
 public:
  int LoadText(void*, unsigned, char* pchBuffer, int cchBufferMax) override {
    if (cchBufferMax > 0) pchBuffer[0] = '\0';
    return 0;
  }
};

TEST(ErrorDescription, MissingStringGivesZero) {
  EmptyStrings empty;
  SetStringResources(&empty);
  char achResult[64];
  EXPECT_EQ(GetErrorDescription(nullptr, -1, achResult, sizeof(achResult)), 0);
  SetStringResources(nullptr);
  EXPECT_EQ(GetErrorDescription(nullptr, -1, achResult, sizeof(achResult)), 1);
}

}  // namespace
