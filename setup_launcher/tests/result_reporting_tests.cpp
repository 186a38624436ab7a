#include <string>
#include <vector>

#include "setup_launcher/result_reporting.h"
#include "setup_launcher/tests/launcher_fixture.h"

namespace {

using ResultTest = LauncherTest;
using Bytes = std::vector<std::uint8_t>;

class ResultKey {
 public:
  explicit ResultKey(platform::IRegistry& registry, std::uint32_t view = 0) : registry_(registry) {
    EXPECT_EQ(registry.CreateKeyA(platform::kHKeyLocalMachine, kResultKey, 0, platform::kKeyAllAccess | view, &key_),
              0);
  }
  ~ResultKey() { EXPECT_EQ(registry_.CloseKey(key_), 0); }
  void Set(const char* name, std::uint32_t type, const Bytes& data) {
    ASSERT_EQ(registry_.SetValueA(key_, name, type, data.data(), static_cast<std::uint32_t>(data.size())), 0);
  }
  std::optional<std::pair<std::uint32_t, Bytes>> Get(const char* name) {
    std::uint32_t type = 0;
    Bytes data(2048);
    auto size = static_cast<std::uint32_t>(data.size());
    if (registry_.QueryValueA(key_, name, &type, data.data(), &size) != 0) return std::nullopt;
    data.resize(size);
    return std::pair{type, data};
  }

 private:
  platform::IRegistry& registry_;
  platform::RegKey key_ = 0;
};

Bytes Text(const std::string& text) {
  Bytes bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

Bytes Dword(std::uint32_t value) {
  return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
          static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

bool KeyExists(platform::IRegistry& registry) {
  platform::RegKey key = 0;
  if (registry.OpenKeyA(platform::kHKeyLocalMachine, kResultKey, 0, platform::kKeyRead, &key) != 0) return false;
  EXPECT_EQ(registry.CloseKey(key), 0);
  return true;
}

TEST_F(ResultTest, DeleteValues) {
  EXPECT_EQ(DeleteRegistryResultValues(), 0);
  EXPECT_TRUE(Traced("Registry key [SOFTWARE\\Pellacor\\Ombrix\\OBSetup] does not exist, nothing to delete.\n"));
  EXPECT_FALSE(KeyExists(registry)) << "nothing is created";

  { ResultKey key(registry); }
  EXPECT_EQ(DeleteRegistryResultValues(), 0) << "a key without the values";
  {
    ResultKey key(registry);
    key.Set("RESULT_CODE", platform::kRegDword, Dword(3));
    key.Set("DESCRIPTION_RESULT_SETUP", platform::kRegSz, Text("old"));
    key.Set("Other", platform::kRegSz, Text("kept"));
  }
  EXPECT_EQ(DeleteRegistryResultValues(), 0);
  EXPECT_TRUE(Traced("1\t   Clearing result values succeed.\n"));
  ResultKey key(registry);
  EXPECT_FALSE(key.Get("RESULT_CODE"));
  EXPECT_FALSE(key.Get("DESCRIPTION_RESULT_SETUP"));
  EXPECT_TRUE(key.Get("Other"));
}

TEST_F(ResultTest, DeleteValuesFailures) {
  {
    ResultKey key(registry);
    key.Set("RESULT_CODE", platform::kRegDword, Dword(3));
    key.Set("DESCRIPTION_RESULT_SETUP", platform::kRegSz, Text("old"));
  }
  registry.Faults().Fail("RegDeleteValueA", 5, 0, 1);
  EXPECT_EQ(DeleteRegistryResultValues(), -27);
  EXPECT_TRUE(Traced("3\t   Failed to delete Registry value [RESULT_CODE], error code: 5.\n"));
  EXPECT_TRUE(Traced("1\t   There were errors in deleting values: exiting.\n"));
  {
    ResultKey key(registry);
    EXPECT_FALSE(key.Get("DESCRIPTION_RESULT_SETUP")) << "the second value is deleted all the same";
  }

  registry.Faults().Fail("RegOpenKeyExA", 5, 0, 1);
  EXPECT_EQ(DeleteRegistryResultValues(), -27);
  EXPECT_TRUE(Traced("Failed to open Registry key [SOFTWARE\\Pellacor\\Ombrix\\OBSetup], error code: 5.\n"));

  registry.Faults().Fail("RegCloseKey", 6, 0, 1);
  EXPECT_EQ(DeleteRegistryResultValues(), 0) << "a failed close is only a warning";
  EXPECT_TRUE(Traced("2\t   CloseRegKey failed with error code: 6. Futher errors possible.\n"));
}

TEST_F(ResultTest, WriteErrorCodeWithDescription) {
  EXPECT_EQ(WriteErrorCodeToRegistry(nullptr, -23), 0);
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
  {
    // The launcher has no view flag: its values land in the 32-bit view.
    ResultKey key(registry, platform::kKeyWow64_32Key);
    EXPECT_EQ(key.Get("RESULT_CODE"), std::pair(platform::kRegDword, Bytes{0xE9, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(key.Get("DESCRIPTION_RESULT_SETUP"),
              std::pair(platform::kRegSz, Text("System drive hasn't enough free disk space for Setup temporary files")));
  }
  EXPECT_TRUE(Traced("1\t      Error code and description were written successfully.\n"));
  EXPECT_TRUE(Traced("Writting inst/uninst error code and description to the registry, key: "
                     "[SOFTWARE\\Pellacor\\Ombrix\\OBSetup]\n"));
}

TEST_F(ResultTest, WriteErrorCodeFailures) {
  EXPECT_EQ(WriteErrorCodeToRegistry(nullptr, -5), -27) << "a code without a description";
  EXPECT_TRUE(Traced("3\t      Failed to read error description from the resources.\n"));
  {
    ResultKey key(registry);
    EXPECT_EQ(key.Get("RESULT_CODE"), std::pair(platform::kRegDword, Dword(static_cast<std::uint32_t>(-5))));
    EXPECT_FALSE(key.Get("DESCRIPTION_RESULT_SETUP"));
  }

  registry.Faults().Fail("RegSetValueExA", 5, 1, 1);
  EXPECT_EQ(WriteErrorCodeToRegistry(nullptr, -1), -27);
  EXPECT_TRUE(Traced("Failed to write registry value [DESCRIPTION_RESULT_SETUP], error code: 5.\n"));
  {
    ResultKey key(registry);
    EXPECT_EQ(key.Get("RESULT_CODE"), std::pair(platform::kRegDword, Dword(0xFFFFFFFFu))) << "stays written";
  }

  registry.Faults().Fail("RegSetValueExA", 5, 0, 1);
  EXPECT_EQ(WriteErrorCodeToRegistry(nullptr, -2), -27);
  EXPECT_TRUE(Traced("Failed to write registry value [RESULT_CODE], error code: 5.\n"));

  registry.Faults().Fail("RegCreateKeyExA", 5, 0, 1);
  EXPECT_EQ(WriteErrorCodeToRegistry(nullptr, -2), -27);
  EXPECT_TRUE(Traced("Failed to open/create the inst/uninst result Registry key, error code: 5.\n"));
  EXPECT_EQ(registry.OpenKeyCount(), 0u);
}

TEST_F(ResultTest, RegistryResultCode) {
  struct Case {
    const char* name;
    std::uint32_t type;
    Bytes data;
    int expected;
    const char* traced;
  };
  const Case cases[] = {
      {"a DWORD", platform::kRegDword, Dword(3), 3, "Result code retrieved successfully: [3]\n"},
      {"a negative DWORD", platform::kRegDword, Dword(0xFFFFFFE9u), -23, "successfully: [-23]\n"},
      {"a string of 3 characters", platform::kRegSz, Text("110"), -3,
       "Failed to read registry value [RESULT_CODE], error code: 0.\n"},
      {"a string of 4 characters", platform::kRegSz, Text("1100"), -3,
       "Failed to read registry value [RESULT_CODE], error code: 234.\n"},
      {"8 bytes", platform::kRegQword, Bytes(8, 1), -3, "error code: 234.\n"},
      {"a 2-byte DWORD reads into a zeroed buffer", platform::kRegDword, Bytes{3, 0}, 3, "successfully: [3]\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    {
      ResultKey key(registry);
      key.Set("RESULT_CODE", c.type, c.data);
    }
    trace.debugOutput.clear();
    EXPECT_EQ(GetRegistrySetupResultCode(), c.expected);
    EXPECT_TRUE(Traced(c.traced)) << trace.debugOutput;
    EXPECT_EQ(registry.OpenKeyCount(), 0u);
  }
  (void)DeleteRegistryResultValues();
  EXPECT_EQ(GetRegistrySetupResultCode(), -3);
  EXPECT_TRUE(Traced("error code: 2.\n"));
  platform::MemoryRegistry empty;
  SetLauncherPlatform(CLauncherPlatform{&empty, &process, &system, &profile});
  EXPECT_EQ(GetRegistrySetupResultCode(), -3);
  EXPECT_TRUE(Traced("3\t   Failed to open result registry key, error code: 2.\n"));
}

TEST_F(ResultTest, SetupLogResultCode) {
  struct Case {
    const char* name;
    std::optional<std::string> content;
    int expected;
  };
  const Case cases[] = {
      {"a code", "[Silent Setup]\nResultCode=0\n", 0},
      {"negative", "[Silent Setup]\r\nResultCode=-5\r\n", -5},
      {"empty value", "[Silent Setup]\nResultCode=\n", 0},
      {"digits then letters", "[silent setup]\nresultcode=12abc\n", 12},
      {"the default's own text", "[Silent Setup]\nResultCode=error string\n", -3},
      {"no file", std::nullopt, -3},
      {"no section", "ResultCode=1\n", -3},
      {"another section", "[Other]\nResultCode=1\n", -3},
      {"binary garbage", std::string("\xff\xfe\x00[Silent Setup\n\x01", 18), -3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.content) {
      trace.WriteFile("C:\\app\\setup.log", *c.content);
    } else {
      std::filesystem::remove(trace.HostPath("C:\\app\\setup.log"));
    }
    EXPECT_EQ(GetSetupLogResultCode("C:\\app"), c.expected);
  }
  EXPECT_TRUE(Traced("3\t   Failed to read the result code.\n"));
  EXPECT_TRUE(Traced("1\t   Result code is [12abc]\n1\t   Converted to integer, we return [12]\n"));
  EXPECT_TRUE(Traced("Getting the result code from the setup.log file [C:\\app\\setup.log]\n"));
}

TEST_F(ResultTest, WriteSetupLogReplacesTheFile) {
  trace.WriteFile("C:\\app\\setup.log", "[Application]\nName=x\n[Silent Setup]\nResultCode=0\nOther=1\n");
  EXPECT_EQ(WriteResultCodeToSetupLog("C:\\app", "110"), 1);
  EXPECT_TRUE(Traced("1\t   Setup log file: 'C:\\app\\setup.log'\n"));
  EXPECT_TRUE(Traced("1\t   Result code was written successfully.\n"));
  EXPECT_EQ(GetSetupLogResultCode("C:\\app"), 110);
  char achValue[32];
  profile.ReadStringA("Application", "Name", "gone", achValue, sizeof(achValue),
                      "C:\\app\\setup.log");
  EXPECT_STREQ(achValue, "gone") << "the whole earlier content is lost";
  profile.ReadStringA("Silent Setup", "Other", "gone", achValue, sizeof(achValue), "C:\\app\\setup.log");
  EXPECT_STREQ(achValue, "gone");
}

TEST_F(ResultTest, WriteSetupLogFailures) {
  system.hostPath = nullptr;
  EXPECT_EQ(WriteResultCodeToSetupLog("C:\\app", "110"), 0);
  EXPECT_TRUE(Traced("2\t   Failed to create setup.log file, error: 5\n"));
  system.hostPath = [](const std::string&) { return std::string("/dev/null"); };
  EXPECT_EQ(WriteResultCodeToSetupLog("C:\\missing\\dir", "110"), 0) << "the ini write itself fails";
  EXPECT_TRUE(Traced("2\t   Failed to write ResultCode to the setup.log file, error: "));
}

}  // namespace
