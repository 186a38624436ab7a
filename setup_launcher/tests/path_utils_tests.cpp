#include <string>

#include "setup_launcher/path_utils.h"
#include "setup_launcher/tests/launcher_fixture.h"

namespace {

using PathTest = LauncherTest;

TEST_F(PathTest, RemoveTrailingSlash) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\", "C:"}, {"C:\\Tools\\\\", "C:\\Tools\\"}, {"C:/Tools/", "C:/Tools/"}, {"", ""}, {"abc", "abc"},
  };
  for (const auto& [input, expected] : cases) {
    std::string buffer = input;
    RemoveTrailingSlash(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), expected) << input;
  }
  EXPECT_TRUE(Traced("1\t{ RemoveTrailingSlash(C:\\)\n1\t   Result string is 'C:'\n1\t} RemoveTrailingSlash(C:\\)\n"))
      << "the exit line repeats the entry text";
}

TEST_F(PathTest, GetFilePath) {
  const std::pair<std::string, std::string> cases[] = {
      {"C:\\Tools\\app.exe", "C:\\Tools"},
      {"C:\\app.exe", "C:"},
      {"app.exe", ""},
      {"C:/Tools/app.exe", "C:/Tools/"},
      {"C:\\Tools/sub\\app.exe", "C:\\Tools/sub"},
      {"\\\\server\\share\\app.exe", "\\\\server\\share"},
      {"D:app.exe", "D:"},
      {"C:", "C:"},
      {"", ""},
      {"C:\\" + std::string(300, 'd') + "\\app.exe", "C:\\" + std::string(300, 'd')},
  };
  for (const auto& [input, expected] : cases) {
    std::string buffer = input;
    GetFilePath(buffer.data());
    EXPECT_EQ(std::string(buffer.c_str()), expected) << input;
  }
  EXPECT_TRUE(Traced("1\t   Result string: 'C:\\Tools'\n"));
}

TEST_F(PathTest, NullTextsOnlyTraceEntryAndExit) {
  RemoveTrailingSlash(nullptr);
  GetFilePath(nullptr);
  EXPECT_EQ(trace.debugOutput,
            "1\t{ RemoveTrailingSlash()\n1\t} RemoveTrailingSlash()\n1\t{ GetFilePath()\n1\t} GetFilePath()\n");
}

TEST_F(PathTest, MakeFilePath) {
  char achPath[32];
  MakeFilePath(achPath, sizeof(achPath), "C:\\app", "setup.log");
  EXPECT_STREQ(achPath, "C:\\app\\setup.log");
  MakeFilePath(achPath, sizeof(achPath), "C:\\app/", "setup.log");
  EXPECT_STREQ(achPath, "C:\\app/setup.log");
  MakeFilePath(achPath, 8, "C:\\long\\directory", "setup.log");
  EXPECT_STREQ(achPath, "C:\\long") << "cut to the buffer";
}

}  // namespace
