// What the kit's callers rely on of the profile (ini) file calls, run
// unchanged against the portable implementation (Linux) and against kernel32
// (under Wine). When the two disagree, the portable one is wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/profile/tests/profile_under_test.h"
#include "platform/text/utf16le.h"

namespace platform {
namespace {

constexpr char kDefault[] = "error string";

struct ReadResult {
  std::string text;
  std::uint32_t length;
};

// Shows control and 8-bit characters, so that a failure message is readable.
std::string Visible(const std::string& bytes) {
  std::string out;
  for (unsigned char ch : bytes) {
    if (ch == '\r') {
      out += "\\r";
    } else if (ch == '\n') {
      out += "\\n";
    } else if (ch < 0x20 || ch > 0x7E) {
      static const char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[ch >> 4];
      out += kHex[ch & 0xF];
    } else {
      out += static_cast<char>(ch);
    }
  }
  return out;
}

std::string Utf16Le(const std::wstring& text) {
  const std::vector<std::uint8_t> bytes = EncodeUtf16Le(text, false);
  return "\xFF\xFE" + std::string(bytes.begin(), bytes.end());
}

class ProfileContract : public ::testing::Test {
 protected:
  void SetUp() override {
    under_ = testing::MakeProfileUnderTest();
    profile_ = under_.profile.get();
    ASSERT_TRUE(std::filesystem::create_directories(under_.hostPath(under_.root))) << under_.root;
  }

  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(under_.hostPath(under_.root), ignored);
  }

  // The Windows path of a file in this test's directory.
  std::string Path(const std::string& name) const { return under_.root + "\\" + name; }
  std::wstring WidePath(const std::string& name) const { return WidenLatin1(Path(name)); }

  void Put(const std::string& name, const std::string& bytes) {
    std::ofstream out(under_.hostPath(Path(name)), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << "writing " << name;
  }

  std::string Get(const std::string& name) {
    std::ifstream in(under_.hostPath(Path(name)), std::ios::binary);
    if (!in) return "<missing>";
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  ReadResult Read(const std::string& name, const char* section, const char* key,
                  const char* defaultValue = kDefault, std::uint32_t size = 64) {
    char buffer[256];
    std::memset(buffer, '#', sizeof buffer);
    const std::uint32_t length = profile_->ReadStringA(section, key, defaultValue, buffer, size, Path(name).c_str());
    EXPECT_LT(length, std::max<std::uint32_t>(size, 1)) << "length within the buffer";
    if (size == 0) return {std::string(buffer, 8), length};
    EXPECT_EQ(std::strlen(buffer), length) << "the copy is terminated right after its length";
    return {std::string(buffer), length};
  }

  std::string ReadText(const std::string& name, const char* section, const char* key) {
    return Read(name, section, key).text;
  }

  void WriteA(const std::string& name, const char* section, const char* key, const char* value) {
    ASSERT_TRUE(profile_->WriteStringA(section, key, value, Path(name).c_str()))
        << "WritePrivateProfileStringA failed with " << profile_->LastError();
  }

  void WriteW(const std::string& name, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    ASSERT_TRUE(profile_->WriteStringW(section, key, value, WidePath(name).c_str()))
        << "WritePrivateProfileStringW failed with " << profile_->LastError();
  }

  testing::ProfileUnderTest under_;
  IProfile* profile_ = nullptr;
};

TEST_F(ProfileContract, MissingFileSectionOrKeyGivesTheDefault) {
  ReadResult missing = Read("none.ini", "Startup", "FreeDiskSpace");
  EXPECT_EQ(missing.text, kDefault);
  EXPECT_EQ(missing.length, std::strlen(kDefault));
  EXPECT_EQ(profile_->LastError(), 2u) << "expected ERROR_FILE_NOT_FOUND after reading a missing file";
  EXPECT_EQ(Get("none.ini"), "<missing>") << "reading creates no file";

  Put("setup.ini", "[Startup]\r\nFreeDiskSpace=100\r\nBare\r\n[Other]\r\nKey=1\r\n");
  EXPECT_EQ(ReadText("setup.ini", "Missing", "FreeDiskSpace"), kDefault) << "missing section";
  EXPECT_EQ(ReadText("setup.ini", "Startup", "Missing"), kDefault) << "missing key";
  EXPECT_EQ(ReadText("setup.ini", "Startup", "Key"), kDefault) << "a key of another section";
  EXPECT_EQ(ReadText("setup.ini", "Startup", "Bare"), kDefault) << "a line without '=' holds no value";

  struct Case {
    const char* defaultValue;
    const char* expected;
  };
  const Case defaults[] = {
      {nullptr, ""},
      {"", ""},
      {"def  ", "def"},  // trailing blanks dropped
      {"  def", "  def"},
      {"\"def\"", "def"},  // quotes dropped as from a value
  };
  for (const Case& c : defaults) {
    const ReadResult result = Read("setup.ini", "Startup", "Missing", c.defaultValue);
    EXPECT_EQ(result.text, c.expected) << "default [" << (c.defaultValue ? c.defaultValue : "(null)") << "]";
    EXPECT_EQ(result.length, std::strlen(c.expected));
  }
}

TEST_F(ProfileContract, NamesIgnoreCaseAndSurroundingBlanks) {
  Put("setup.ini",
      "  [ Startup ]  \r\n  FreeDiskSpace  =  123  \r\n[Silent Setup]\r\nResultCode=7\r\n"
      "[A]\r\nx=1\r\nx=2\r\n[B]\r\nz=3\r\n[A]\r\ny=4\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Startup", "FreeDiskSpace", "123"},
      {"startup", "freediskspace", "123"},
      {"STARTUP", "FreeDISKspace", "123"},
      {" Startup ", " FreeDiskSpace ", "123"},
      {"silent setup", "RESULTCODE", "7"},
      {"Silent Setup", "FreeDiskSpace", kDefault},
      {"SilentSetup", "ResultCode", kDefault},
      {"A", "x", "1"},       // the first of two keys of one name
      {"B", "z", "3"},
      {"A", "y", kDefault},  // only the first section of a name is searched
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadText("setup.ini", c.section, c.key), c.expected) << "[" << c.section << "] " << c.key;
  }
}

TEST_F(ProfileContract, ValuesLoseBlanksAndOnePairOfMatchingQuotes) {
  struct Case {
    const char* line;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Blanks =   123   ", "Blanks", "123"},
      {"Tabs\t=\t t v \t", "Tabs", "t v"},
      {"Empty=", "Empty", ""},  // empty, not the default
      {"EmptyBlanks=   ", "EmptyBlanks", ""},
      {"Letters=12abc", "Letters", "12abc"},
      {"Equals=x=y", "Equals", "x=y"},
      {"Default=error string", "Default", kDefault},
      {";Comment=1", ";Comment", "1"},  // no comment syntax
      {"Double=\"abc\"", "Double", "abc"},
      {"Single='abc'", "Single", "abc"},
      {"Open=\"abc", "Open", "\"abc"},
      {"Mixed=\"abc'", "Mixed", "\"abc'"},
      {"Inner=\"a\"b\"", "Inner", "a\"b"},
      {"Padded= \" abc \" ", "Padded", " abc "},
      {"Lone=\"", "Lone", "\""},
      {"Pair=\"\"", "Pair", ""},
  };
  std::string file = "[S]\r\n";
  for (const Case& c : cases) file += std::string(c.line) + "\r\n";
  Put("values.ini", file);
  for (const Case& c : cases) {
    const ReadResult result = Read("values.ini", "S", c.key);
    EXPECT_EQ(result.text, c.expected) << c.line;
    EXPECT_EQ(result.length, std::strlen(c.expected)) << c.line;
  }
}

TEST_F(ProfileContract, LongValuesAreCutToTheBuffer) {
  Put("cut.ini", "[S]\r\nTen=abcdefghij\r\nQuoted=\"abc\"\r\n");
  struct Case {
    const char* key;
    std::uint32_t size;
    const char* expected;
    std::uint32_t length;
  };
  const Case cases[] = {
      {"Ten", 11, "abcdefghij", 10},
      {"Ten", 10, "abcdefghi", 9},  // cut: size - 1
      {"Ten", 5, "abcd", 4},
      {"Ten", 2, "a", 1},
      {"Ten", 1, "", 0},
      {"Quoted", 5, "abc", 3},
      {"Quoted", 3, "ab", 2},
      {"Missing", 5, "erro", 4},  // the default is cut the same way
  };
  for (const Case& c : cases) {
    const ReadResult result = Read("cut.ini", "S", c.key, kDefault, c.size);
    EXPECT_EQ(result.text, c.expected) << c.key << " into " << c.size;
    EXPECT_EQ(result.length, c.length) << c.key << " into " << c.size;
  }
  const ReadResult none = Read("cut.ini", "S", "Ten", kDefault, 0);
  EXPECT_EQ(none.length, 0u);
  EXPECT_EQ(none.text, "########") << "a buffer of size 0 is not touched";
}

TEST_F(ProfileContract, AnyLineEndAndDamagedContentIsRead) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    Put("ends.ini", std::string("[S]") + end + "a=1" + end + "[T]" + end + "b=2");  // no final line end
    EXPECT_EQ(ReadText("ends.ini", "S", "a"), "1") << Visible(end);
    EXPECT_EQ(ReadText("ends.ini", "T", "b"), "2") << Visible(end);
  }

  // A zero byte ends the value it sits in, nothing more.
  Put("zero.ini", std::string("[S]\nk=ab\0cd\nz=1\n", 17));
  EXPECT_EQ(ReadText("zero.ini", "S", "k"), "ab");
  EXPECT_EQ(ReadText("zero.ini", "S", "z"), "1");

  const std::string huge(100000, 'x');
  Put("huge.ini", "[S]\r\nk=" + huge + "\r\nz=1\r\n");
  const ReadResult cut = Read("huge.ini", "S", "k", kDefault, 10);
  EXPECT_EQ(cut.text, "xxxxxxxxx");
  EXPECT_EQ(cut.length, 9u);
  std::vector<char> whole(huge.size() + 1, '#');
  EXPECT_EQ(profile_->ReadStringA("S", "k", kDefault, whole.data(), static_cast<std::uint32_t>(whole.size()),
                                  Path("huge.ini").c_str()),
            huge.size());
  EXPECT_EQ(std::string(whole.data()), huge);
  EXPECT_EQ(ReadText("huge.ini", "S", "z"), "1");

  // Binary garbage: reads stay within the buffer, and a write still lands.
  std::string garbage(65536, '\0');
  std::uint32_t seed = 12345;
  for (char& ch : garbage) {
    seed = seed * 1103515245u + 12345u;
    ch = static_cast<char>(seed >> 24);
  }
  garbage[0] = 'G';  // no byte order mark
  Put("garbage.ini", garbage);
  Read("garbage.ini", "S", "k");
  Read("garbage.ini", "", "");
  WriteA("garbage.ini", "Fresh Section", "Key", "value");
  EXPECT_EQ(ReadText("garbage.ini", "Fresh Section", "Key"), "value");
}

TEST_F(ProfileContract, WriteCreatesTheFileTheSectionAndTheKey) {
  WriteA("setup.log", "Silent Setup", "ResultCode", "110");
  EXPECT_EQ(Visible(Get("setup.log")), Visible("[Silent Setup]\r\nResultCode=110\r\n"));
  EXPECT_EQ(ReadText("setup.log", "Silent Setup", "ResultCode"), "110");

  WriteA("setup.log", "Silent Setup", "Second", "2");
  WriteA("setup.log", "Other", "K", "v");
  EXPECT_EQ(Visible(Get("setup.log")), Visible("[Silent Setup]\r\nResultCode=110\r\nSecond=2\r\n[Other]\r\nK=v\r\n"));

  WriteA("setup.log", "Other", "Empty", "");
  const ReadResult empty = Read("setup.log", "Other", "Empty");
  EXPECT_EQ(empty.text, "") << "an empty value is a value, not the default";
  EXPECT_EQ(empty.length, 0u);

  // A file emptied by its owner, as before the launcher writes its result.
  Put("emptied.log", "");
  WriteA("emptied.log", "Silent Setup", "ResultCode", "110");
  EXPECT_EQ(Visible(Get("emptied.log")), Visible("[Silent Setup]\r\nResultCode=110\r\n"));
}

TEST_F(ProfileContract, WriteReplacesAValueAndKeepsTheRest) {
  Put("setup.log",
      "[Startup]\nFreeDiskSpace=100\n\n[Silent Setup]\n  ResultCode = 1  \nOther=keep\n; note\n\n"
      "[Last]\nz=9");
  WriteA("setup.log", "silent setup", "resultcode", "110");
  EXPECT_EQ(ReadText("setup.log", "Silent Setup", "ResultCode"), "110");
  std::string lower = Get("setup.log");
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char ch) { return std::tolower(ch); });
  EXPECT_EQ(lower.find("resultcode"), lower.rfind("resultcode")) << "one key, replaced: " << Visible(lower);

  WriteA("setup.log", "Silent Setup", "ResultCode", " 111 ");
  WriteA("setup.log", "Silent Setup", "Added", "a");
  WriteA("setup.log", "Last", "Added", "b");  // after a last line without its line end
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case kept[] = {
      {"Silent Setup", "ResultCode", "111"}, {"Silent Setup", "Other", "keep"}, {"Silent Setup", "; note", kDefault},
      {"Silent Setup", "Added", "a"},        {"Startup", "FreeDiskSpace", "100"}, {"Startup", "Added", kDefault},
      {"Last", "z", "9"},                    {"Last", "Added", "b"},
  };
  for (const Case& c : kept) {
    EXPECT_EQ(ReadText("setup.log", c.section, c.key), c.expected) << "[" << c.section << "] " << c.key;
  }

  // A key without a value is replaced, not repeated.
  Put("bare.ini", "[S]\r\nk\r\n");
  WriteA("bare.ini", "S", "k", "v");
  EXPECT_EQ(Visible(Get("bare.ini")), Visible("[S]\r\nk=v\r\n"));

  // A new key goes after the section's last one, not after the next section.
  Put("order.ini", "[S]\r\nk=1\r\n[T]\r\nm=2\r\n");
  WriteA("order.ini", "S", "added", "a");
  EXPECT_EQ(Visible(Get("order.ini")), Visible("[S]\r\nk=1\r\nadded=a\r\n[T]\r\nm=2\r\n"));
}

TEST_F(ProfileContract, NullValueRemovesTheKeyAndNullKeyTheSection) {
  Put("remove.ini", "[S]\r\na=1\r\nb=2\r\n[T]\r\nc=3\r\n");
  WriteA("remove.ini", "S", "a", nullptr);
  EXPECT_EQ(ReadText("remove.ini", "S", "a"), kDefault);
  EXPECT_EQ(ReadText("remove.ini", "S", "b"), "2");
  WriteA("remove.ini", "s", nullptr, nullptr);
  EXPECT_EQ(ReadText("remove.ini", "S", "b"), kDefault);
  EXPECT_EQ(ReadText("remove.ini", "T", "c"), "3");
  EXPECT_EQ(Visible(Get("remove.ini")), Visible("[T]\r\nc=3\r\n"));
}

TEST_F(ProfileContract, WideWriteStoresEightBitTextUnlessTheFileIsUnicode) {
  WriteW("launcher.ini", L"launcher", L"Key", L"val\u00e9");
  EXPECT_EQ(Visible(Get("launcher.ini")), Visible("[launcher]\r\nKey=val\xe9\r\n"));
  EXPECT_EQ(ReadText("launcher.ini", "LAUNCHER", "key"), "val\xe9");

  WriteA("launcher.ini", "launcher", "Other", "a");
  WriteW("launcher.ini", L"Launcher", L"OTHER", L"x=y");
  EXPECT_EQ(ReadText("launcher.ini", "launcher", "Other"), "x=y");
  EXPECT_EQ(ReadText("launcher.ini", "launcher", "Key"), "val\xe9");

  // A UTF-16 file stays one, and keeps text beyond the 8-bit code page.
  Put("unicode.ini", Utf16Le(L"[S]\r\nk=\u00e9\r\n"));
  EXPECT_EQ(ReadText("unicode.ini", "S", "k"), "\xe9");
  WriteW("unicode.ini", L"S", L"Omega", L"a\u03a9b");
  WriteA("unicode.ini", "S", "A", "x\xe9");
  EXPECT_EQ(Visible(Get("unicode.ini")), Visible(Utf16Le(L"[S]\r\nk=\u00e9\r\nOmega=a\u03a9b\r\nA=x\u00e9\r\n")));
  EXPECT_EQ(ReadText("unicode.ini", "S", "A"), "x\xe9");
}

TEST_F(ProfileContract, FailedWritesReportTheWindowsError) {
  EXPECT_FALSE(profile_->WriteStringA("S", "k", "v", Path("missing\\x.ini").c_str()));
  EXPECT_EQ(profile_->LastError(), 3u) << "expected ERROR_PATH_NOT_FOUND for a missing directory";
  EXPECT_FALSE(profile_->WriteStringW(L"S", L"k", L"v", WidePath("missing\\x.ini").c_str()));
  EXPECT_EQ(profile_->LastError(), 3u) << "expected ERROR_PATH_NOT_FOUND for a missing directory";

  ASSERT_TRUE(std::filesystem::create_directory(under_.hostPath(Path("folder"))));
  EXPECT_FALSE(profile_->WriteStringA("S", "k", "v", Path("folder").c_str()));
  EXPECT_EQ(profile_->LastError(), 5u) << "expected ERROR_ACCESS_DENIED for a directory";
  EXPECT_FALSE(profile_->WriteStringW(L"S", L"k", L"v", WidePath("folder").c_str()));
  EXPECT_EQ(profile_->LastError(), 5u) << "expected ERROR_ACCESS_DENIED for a directory";
  EXPECT_EQ(ReadText("folder", "S", "k"), kDefault) << "a directory reads as a missing file";
}

}  // namespace
}  // namespace platform
