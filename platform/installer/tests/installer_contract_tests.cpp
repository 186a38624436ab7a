// What the kit's callers rely on of the Windows Installer, run unchanged
// against the in-memory stand-in (Linux) and against msi.dll (under Wine),
// where the product cases install and remove the fixture packages. When the
// two disagree, the stand-in is wrong.

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "platform/installer/tests/installer_under_test.h"

namespace platform {
namespace {

using testing::FixturePackage;
using testing::kFallbackPackage;
using testing::kFamilyPackages;
using testing::kFamilyUpgradeCode;

constexpr wchar_t kRemoveAll[] = L"REMOVE=ALL REBOOT=ReallySuppress";
// Registered by nothing, on any machine.
constexpr wchar_t kUnusedUpgradeCode[] = L"{6155D75E-CEF8-4814-8ACB-431BE145937B}";
constexpr wchar_t kUnknownProductCode[] = L"{E3D61444-58EA-48EC-8233-886BAA226F2E}";

// The text in a buffer up to its terminator, never beyond the buffer.
std::wstring Text(const std::vector<wchar_t>& buffer) {
  return std::wstring(buffer.begin(), std::find(buffer.begin(), buffer.end(), L'\0'));
}

// Narrow text for failure messages; wide text does not print portably.
std::string Show(const std::wstring& text) {
  std::string out;
  for (wchar_t ch : text) out.push_back(ch >= 0x20 && ch < 0x7F ? static_cast<char>(ch) : '?');
  return out;
}

class InstallerContract : public ::testing::Test {
 protected:
  void SetUp() override {
    under_ = testing::MakeInstallerUnderTest();
    msi_ = &under_->Installer();
  }

  std::unique_ptr<testing::InstallerUnderTest> under_;
  IInstaller* msi_ = nullptr;
};

// ---------------------------------------------------------------- sessions

class InstallerSessionContract : public InstallerContract {
 protected:
  void SetUp() override {
    InstallerContract::SetUp();
    session_ = under_->OpenSession();
    ASSERT_NE(session_, MsiHandle{0}) << "no installation session to test with";
  }

  void TearDown() override {
    if (session_ != 0) (void)under_->CloseSessionAndReadLog(session_);
  }

  std::vector<std::wstring> CloseAndReadLog() {
    const MsiHandle session = session_;
    session_ = 0;
    return under_->CloseSessionAndReadLog(session);
  }

  void Set(const wchar_t* name, const wchar_t* value) {
    ASSERT_EQ(msi_->SetPropertyW(session_, name, value), kMsiSuccess) << "MsiSetPropertyW(" << Show(name) << ")";
  }

  // The value read back with a buffer of `size` characters, checking the
  // length reported.
  std::wstring Get(const wchar_t* name, std::uint32_t size = 1024) {
    std::vector<wchar_t> buffer(size + 1, L'X');
    std::uint32_t length = size;
    const MsiStatus status = msi_->GetPropertyW(session_, name, buffer.data(), &length);
    EXPECT_EQ(status, kMsiSuccess) << "MsiGetPropertyW(" << Show(name) << ")";
    const std::wstring text = Text(buffer);
    EXPECT_EQ(length, text.size()) << "the length reported is the value's, without the terminator";
    return status == kMsiSuccess ? text : std::wstring(L"<failed>");
  }

  // A handle that is not open: a record already closed.
  MsiHandle ClosedHandle() {
    const MsiHandle record = msi_->CreateRecord(1);
    EXPECT_NE(record, MsiHandle{0});
    EXPECT_EQ(msi_->CloseHandle(record), kMsiSuccess);
    return record;
  }

  MsiHandle session_ = 0;
};

TEST_F(InstallerSessionContract, ValueLongerThanTheBufferGivesMoreDataAndItsLength) {
  const std::wstring values[] = {L"x", L"abcdef", L"caf\u00e9 \\ \"quoted\" [not a template]",
                                 std::wstring(300, L'v') + L"end"};
  for (const std::wstring& value : values) {
    SCOPED_TRACE("value " + Show(value));
    Set(L"KitLong", value.c_str());
    const auto size = static_cast<std::uint32_t>(value.size());

    // The first read of the two-step pattern: one character, no room.
    wchar_t one[1] = {L'X'};
    std::uint32_t length = 1;
    ASSERT_EQ(msi_->GetPropertyW(session_, L"KitLong", one, &length), kMsiMoreData)
        << "expected ERROR_MORE_DATA for a value into a buffer of 1";
    EXPECT_EQ(length, size) << "the length needed, without the terminator";

    // Room for the characters but not for the terminator: still too small,
    // and the buffer holds what fits, terminated.
    std::vector<wchar_t> exact(size, L'X');
    length = size;
    ASSERT_EQ(msi_->GetPropertyW(session_, L"KitLong", exact.data(), &length), kMsiMoreData);
    EXPECT_EQ(length, size);
    EXPECT_EQ(Text(exact), value.substr(0, size - 1));

    // The second read with the length plus one.
    std::vector<wchar_t> room(size + 1, L'X');
    length = size + 1;
    ASSERT_EQ(msi_->GetPropertyW(session_, L"KitLong", room.data(), &length), kMsiSuccess)
        << "expected ERROR_SUCCESS with length + 1";
    EXPECT_EQ(length, size);
    EXPECT_EQ(Text(room), value);

    // No buffer: only the length.
    length = 0;
    EXPECT_EQ(msi_->GetPropertyW(session_, L"KitLong", nullptr, &length), kMsiSuccess);
    EXPECT_EQ(length, size);
  }
}

TEST_F(InstallerSessionContract, AbsentPropertyReadsAsEmpty) {
  for (std::uint32_t size : {1u, 16u}) {
    SCOPED_TRACE("buffer of " + std::to_string(size));
    std::vector<wchar_t> buffer(size, L'X');
    std::uint32_t length = size;
    ASSERT_EQ(msi_->GetPropertyW(session_, L"KitNeverSet", buffer.data(), &length), kMsiSuccess)
        << "expected ERROR_SUCCESS for an absent property";
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(buffer[0], L'\0');
  }
  std::uint32_t length = 5;
  EXPECT_EQ(msi_->GetPropertyW(session_, L"KitNeverSet", nullptr, &length), kMsiSuccess);
  EXPECT_EQ(length, 0u);

  // A length of 0 leaves no room even for the terminator.
  wchar_t buffer[1] = {L'X'};
  length = 0;
  EXPECT_EQ(msi_->GetPropertyW(session_, L"KitNeverSet", buffer, &length), kMsiMoreData);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(buffer[0], L'X');

  // Names are case-sensitive.
  Set(L"KitCase", L"value");
  EXPECT_EQ(Get(L"KITCASE"), L"");
  EXPECT_EQ(Get(L"KitCase"), L"value");
  EXPECT_EQ(msi_->GetPropertyW(session_, L"KitCase", nullptr, nullptr), kMsiSuccess);
}

TEST_F(InstallerSessionContract, EmptyOrNullValueRemovesTheProperty) {
  const wchar_t* removals[] = {L"", nullptr};
  for (const wchar_t* removal : removals) {
    SCOPED_TRACE(removal == nullptr ? "null value" : "empty value");
    Set(L"KitGone", L"first");
    Set(L"KitGone", L"second");
    EXPECT_EQ(Get(L"KitGone"), L"second") << "setting replaces the value";
    Set(L"KitGone", removal);
    EXPECT_EQ(Get(L"KitGone"), L"");
    std::uint32_t length = 0;
    wchar_t none[1] = {L'X'};
    EXPECT_EQ(msi_->GetPropertyW(session_, L"KitGone", none, &length), kMsiMoreData)
        << "a removed property reads like one never set";
  }
  Set(L"KitNeverSet", nullptr);
}

TEST_F(InstallerSessionContract, BadArgumentsAndHandles) {
  wchar_t buffer[8] = {};
  std::uint32_t length = 8;
  EXPECT_EQ(msi_->GetPropertyW(session_, nullptr, buffer, &length), kMsiInvalidParameter);
  EXPECT_EQ(length, 8u) << "a failed read leaves the length alone";
  EXPECT_EQ(msi_->GetPropertyW(session_, L"KitAny", buffer, nullptr), kMsiInvalidParameter)
      << "a buffer needs a length";
  EXPECT_EQ(msi_->SetPropertyW(session_, nullptr, L"v"), kMsiInvalidParameter);
  EXPECT_EQ(msi_->SetPropertyW(session_, L"", L"v"), kMsiFunctionFailed);

  const MsiHandle closed = ClosedHandle();
  EXPECT_EQ(msi_->GetPropertyW(closed, L"KitAny", buffer, &length), kMsiInvalidHandle);
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(msi_->SetPropertyW(closed, L"KitAny", L"v"), kMsiInvalidHandle);
  EXPECT_EQ(msi_->RecordSetStringW(closed, 0, L"v"), kMsiInvalidHandle);
  EXPECT_EQ(msi_->CloseHandle(closed), kMsiInvalidHandle) << "closing twice";
  EXPECT_EQ(msi_->CloseHandle(0), kMsiSuccess);

  // A record is not a session.
  const MsiHandle record = msi_->CreateRecord(2);
  ASSERT_NE(record, MsiHandle{0});
  EXPECT_EQ(msi_->GetPropertyW(record, L"KitAny", buffer, &length), kMsiInvalidHandle);
  EXPECT_EQ(msi_->CloseHandle(record), kMsiSuccess);
}

TEST_F(InstallerSessionContract, RecordFields) {
  const MsiHandle record = msi_->CreateRecord(2);
  ASSERT_NE(record, MsiHandle{0}) << "MsiCreateRecord(2)";
  EXPECT_EQ(msi_->RecordSetStringW(record, 0, L"text"), kMsiSuccess);
  EXPECT_EQ(msi_->RecordSetStringW(record, 2, L"last"), kMsiSuccess);
  EXPECT_EQ(msi_->RecordSetStringW(record, 1, nullptr), kMsiSuccess);
  EXPECT_EQ(msi_->RecordSetStringW(record, 3, L"beyond"), kMsiInvalidField);
  EXPECT_EQ(msi_->CloseHandle(record), kMsiSuccess);

  const MsiHandle empty = msi_->CreateRecord(0);
  ASSERT_NE(empty, MsiHandle{0}) << "a record of field 0 alone";
  EXPECT_EQ(msi_->RecordSetStringW(empty, 0, L"text"), kMsiSuccess);
  EXPECT_EQ(msi_->RecordSetStringW(empty, 1, L"text"), kMsiInvalidField);
  EXPECT_EQ(msi_->CloseHandle(empty), kMsiSuccess);

  EXPECT_EQ(msi_->CreateRecord(65536), MsiHandle{0}) << "more fields than a record holds";
}

TEST_F(InstallerSessionContract, InfoMessageBecomesOneLineOfTheLog) {
  Set(L"KitLogProperty", L"pv");
  struct Case {
    const wchar_t* field0;
    const wchar_t* field1;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"--- OB-ACTION ---  Failure to set property \"X\": 0x65b", L"",
       L"--- OB-ACTION ---  Failure to set property \"X\": 0x65b"},
      {L"caf\u00e9 at C:\\dir\\file.txt {braces}", L"", L"caf\u00e9 at C:\\dir\\file.txt {braces}"},
      // Field 0 is a template.
      {L"Kit field [1], property [KitLogProperty], absent [KitNoSuch].", L"one",
       L"Kit field one, property pv, absent ."},
      {L"Kit escaped [\\[]x[\\]]", L"", L"Kit escaped [x]"},
      {L"Kit unpaired [KitLogProperty] [ bracket", L"", L"Kit unpaired [KitLogProperty] [ bracket"},
      // No template: the fields are listed.
      {L"", L"kit-one", L"1: kit-one 2:  "},
  };
  const MsiHandle record = msi_->CreateRecord(2);
  ASSERT_NE(record, MsiHandle{0});
  for (const Case& c : cases) {
    ASSERT_EQ(msi_->RecordSetStringW(record, 0, c.field0), kMsiSuccess);
    ASSERT_EQ(msi_->RecordSetStringW(record, 1, c.field1), kMsiSuccess);
    (void)msi_->ProcessMessage(session_, kInstallMessageInfo, record);
  }
  EXPECT_EQ(msi_->CloseHandle(record), kMsiSuccess);

  const std::vector<std::wstring> log = CloseAndReadLog();
  std::ptrdiff_t previous = -1;
  for (const Case& c : cases) {
    SCOPED_TRACE("line " + Show(c.line));
    EXPECT_EQ(std::count(log.begin(), log.end(), c.line), 1) << "one line per message";
    const auto at = std::find(log.begin(), log.end(), c.line) - log.begin();
    EXPECT_GT(at, previous) << "lines in the order processed";
    previous = at;
  }
}

TEST_F(InstallerSessionContract, RebootAtEndMode) {
  EXPECT_FALSE(under_->RebootAtEnd(session_));
  EXPECT_EQ(msi_->SetMode(session_, kMsiRunModeRebootAtEnd, true), kMsiSuccess);
  EXPECT_TRUE(under_->RebootAtEnd(session_));
  EXPECT_EQ(msi_->SetMode(session_, kMsiRunModeRebootAtEnd, false), kMsiSuccess);
  EXPECT_FALSE(under_->RebootAtEnd(session_));
  EXPECT_EQ(msi_->SetMode(session_, kMsiRunModeRebootNow, false), kMsiSuccess);
  EXPECT_EQ(msi_->SetMode(session_, 1, true), kMsiAccessDenied) << "the administrative mode cannot be set";
}

// ---------------------------------------------------------------- products

// Silent installations while it lives; the previous level comes back after.
class SilentInstalls {
 public:
  explicit SilentInstalls(IInstaller& msi) : msi_(msi), previous_(msi.SetInternalUI(kInstallUiLevelNone)) {}
  ~SilentInstalls() { (void)msi_.SetInternalUI(previous_); }
  SilentInstalls(const SilentInstalls&) = delete;
  SilentInstalls& operator=(const SilentInstalls&) = delete;

 private:
  IInstaller& msi_;
  std::uint32_t previous_;
};

class InstallerProductContract : public InstallerContract {
 protected:
  // Every product of an upgrade code, and the code that ended the enumeration.
  std::vector<std::wstring> Related(const wchar_t* upgradeCode, MsiStatus* end = nullptr) {
    std::vector<std::wstring> codes;
    MsiStatus status = kMsiSuccess;
    for (std::uint32_t index = 0; index < 100; ++index) {
      wchar_t code[kProductCodeChars] = {};
      status = msi_->EnumRelatedProductsW(upgradeCode, index, code);
      if (status != kMsiSuccess) break;
      codes.emplace_back(code);
    }
    if (end != nullptr) *end = status;
    return codes;
  }

  std::wstring Info(const wchar_t* productCode, const wchar_t* property, MsiStatus* status = nullptr) {
    wchar_t value[260] = {};
    std::uint32_t length = 260;
    const MsiStatus result = msi_->GetProductInfoW(productCode, property, value, &length);
    if (status != nullptr) *status = result;
    return result == kMsiSuccess ? std::wstring(value) : std::wstring();
  }

  // The fallback route: a copy of the cached package, under the name of the
  // package that installed the product, in the temporary directory.
  MsiStatus RemoveFromCopyOfCachedPackage(const wchar_t* productCode) {
    MsiStatus status = kMsiSuccess;
    const std::wstring cached = Info(productCode, L"LocalPackage", &status);
    if (status != kMsiSuccess) return status;
    const std::wstring name = Info(productCode, L"PackageName", &status);
    if (status != kMsiSuccess) return status;
    const std::wstring copy = under_->TempDirectory() + name;
    if (!under_->CopyOneFile(cached, copy)) return kMsiFileNotFound;
    status = msi_->InstallProductW(copy.c_str(), kRemoveAll);
    under_->RemoveFile(copy);
    return status;
  }

  // Products left by an earlier run that stopped half-way.
  void RemoveLeftover(const FixturePackage& package) {
    if (!under_->IsInstalled(package.productCode)) return;
    if (msi_->ConfigureProductExW(package.productCode, kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll) !=
        kMsiSuccess) {
      EXPECT_EQ(RemoveFromCopyOfCachedPackage(package.productCode), kMsiSuccess);
    }
    ASSERT_FALSE(under_->IsInstalled(package.productCode)) << "cannot clear " << Show(package.fileName);
  }

  void Install(const FixturePackage& package) {
    const std::wstring path = under_->PackagePath(package);
    ASSERT_TRUE(under_->FileExists(path)) << "fixture package " << Show(path)
                                          << " missing: the installer_package_* tests build it";
    ASSERT_EQ(msi_->InstallProductW(path.c_str(), L""), kMsiSuccess) << "installing " << Show(package.fileName);
    ASSERT_TRUE(under_->IsInstalled(package.productCode));
  }
};

TEST_F(InstallerProductContract, UpgradeCodeWithoutProductsGivesNoMoreItemsAtOnce) {
  wchar_t code[kProductCodeChars] = {L'X', L'\0'};
  EXPECT_EQ(msi_->EnumRelatedProductsW(kUnusedUpgradeCode, 0, code), kMsiNoMoreItems)
      << "expected ERROR_NO_MORE_ITEMS at index 0";
  EXPECT_EQ(code[0], L'X') << "the buffer is left alone";
  EXPECT_NE(msi_->EnumRelatedProductsW(L"not-an-upgrade-code", 0, code), kMsiSuccess)
      << "a malformed code ends the enumeration too";
  EXPECT_EQ(msi_->EnumRelatedProductsW(nullptr, 0, code), kMsiInvalidParameter);
}

TEST_F(InstallerProductContract, CallsOnProductsThatAreNotInstalled) {
  wchar_t value[16] = {L'X', L'\0'};
  std::uint32_t length = 16;
  EXPECT_EQ(msi_->GetProductInfoW(kUnknownProductCode, L"VersionString", value, &length), kMsiUnknownProduct)
      << "expected ERROR_UNKNOWN_PRODUCT";
  EXPECT_EQ(length, 16u);
  EXPECT_EQ(value[0], L'X');
  EXPECT_EQ(msi_->GetProductInfoW(L"not-a-product-code", L"VersionString", value, &length), kMsiInvalidParameter);
  EXPECT_EQ(msi_->GetProductInfoW(kUnknownProductCode, nullptr, value, &length), kMsiInvalidParameter);

  EXPECT_EQ(msi_->ConfigureProductExW(kUnknownProductCode, kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll),
            kMsiUnknownProduct);
  EXPECT_EQ(msi_->ConfigureProductExW(L"not-a-product-code", kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll),
            kMsiInvalidParameter);

  const std::wstring missing = under_->TempDirectory() + L"kit_no_such_package.msi";
  SilentInstalls silent(*msi_);
  EXPECT_NE(msi_->InstallProductW(missing.c_str(), L""), kMsiSuccess);
  EXPECT_EQ(msi_->InstallProductW(nullptr, L""), kMsiInvalidParameter);
}

TEST_F(InstallerProductContract, SetInternalUIReturnsThePreviousLevel) {
  const std::uint32_t original = msi_->SetInternalUI(kInstallUiLevelNone);
  EXPECT_EQ(msi_->SetInternalUI(kInstallUiLevelBasic), kInstallUiLevelNone);
  EXPECT_EQ(msi_->SetInternalUI(kInstallUiLevelNoChange), kInstallUiLevelBasic) << "NOCHANGE only reads";
  EXPECT_EQ(msi_->SetInternalUI(kInstallUiLevelFull), kInstallUiLevelBasic);
  EXPECT_EQ(msi_->SetInternalUI(original), kInstallUiLevelFull);
  EXPECT_EQ(msi_->SetInternalUI(kInstallUiLevelNoChange), original);
}

TEST_F(InstallerProductContract, FamilyInstallsSideBySideAndIsRemovedOneByOne) {
  SilentInstalls silent(*msi_);
  for (const FixturePackage& package : kFamilyPackages) RemoveLeftover(package);
  MsiStatus end = kMsiSuccess;
  ASSERT_TRUE(Related(kFamilyUpgradeCode, &end).empty());
  EXPECT_EQ(end, kMsiNoMoreItems);

  for (const FixturePackage& package : kFamilyPackages) Install(package);

  // Each product once, in no promised order, then the end.
  const std::vector<std::wstring> related = Related(kFamilyUpgradeCode, &end);
  EXPECT_EQ(end, kMsiNoMoreItems) << "expected ERROR_NO_MORE_ITEMS after the last product";
  EXPECT_EQ(related.size(), std::size(kFamilyPackages));
  for (const FixturePackage& package : kFamilyPackages) {
    EXPECT_EQ(std::count(related.begin(), related.end(), package.productCode), 1)
        << Show(package.productCode) << " enumerated once, braced";
  }

  for (const FixturePackage& package : kFamilyPackages) {
    SCOPED_TRACE(Show(package.fileName));
    MsiStatus status = kMsiSuccess;
    EXPECT_EQ(Info(package.productCode, L"VersionString", &status), package.version);
    EXPECT_EQ(status, kMsiSuccess);
    EXPECT_EQ(Info(package.productCode, L"PackageName", &status), package.fileName);
    const std::wstring cached = Info(package.productCode, L"LocalPackage", &status);
    EXPECT_EQ(status, kMsiSuccess);
    EXPECT_NE(cached, under_->PackagePath(package)) << "the cached package is a copy of its own";
    EXPECT_TRUE(under_->FileExists(cached)) << Show(cached);
    Info(package.productCode, L"KitNoSuchProperty", &status);
    EXPECT_EQ(status, kMsiUnknownProperty);

    // Too small a buffer: the length needed, the buffer left alone.
    const auto size = static_cast<std::uint32_t>(std::wcslen(package.version));
    wchar_t small[2] = {L'X', L'X'};
    std::uint32_t length = 2;
    EXPECT_EQ(msi_->GetProductInfoW(package.productCode, L"VersionString", small, &length), kMsiMoreData);
    EXPECT_EQ(length, size);
    EXPECT_EQ(small[0], L'X');
    length = 0;
    EXPECT_EQ(msi_->GetProductInfoW(package.productCode, L"VersionString", nullptr, &length), kMsiSuccess);
    EXPECT_EQ(length, size);
  }

  // Removing one product leaves the others installed. Windows goes on
  // listing them; Wine forgets every product of the upgrade code at the first
  // removal, so only the removed product's absence is checked here.
  for (std::size_t removed = 0; removed < std::size(kFamilyPackages); ++removed) {
    const FixturePackage& package = kFamilyPackages[removed];
    SCOPED_TRACE("removing " + Show(package.fileName));
    const std::wstring cached = Info(package.productCode, L"LocalPackage");
    ASSERT_EQ(msi_->ConfigureProductExW(package.productCode, kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll),
              kMsiSuccess);
    EXPECT_FALSE(under_->IsInstalled(package.productCode));
    for (std::size_t other = removed + 1; other < std::size(kFamilyPackages); ++other) {
      EXPECT_TRUE(under_->IsInstalled(kFamilyPackages[other].productCode)) << "the others stay";
    }
    EXPECT_FALSE(under_->FileExists(cached)) << "the cached package goes with the product";
    MsiStatus status = kMsiSuccess;
    Info(package.productCode, L"VersionString", &status);
    EXPECT_EQ(status, kMsiUnknownProduct);
    const std::vector<std::wstring> still = Related(kFamilyUpgradeCode, &end);
    EXPECT_EQ(end, kMsiNoMoreItems);
    EXPECT_EQ(std::count(still.begin(), still.end(), package.productCode), 0);
    EXPECT_EQ(msi_->ConfigureProductExW(package.productCode, kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll),
              kMsiUnknownProduct)
        << "removing it again";
  }
  wchar_t code[kProductCodeChars] = {};
  EXPECT_EQ(msi_->EnumRelatedProductsW(kFamilyUpgradeCode, 0, code), kMsiNoMoreItems);
}

TEST_F(InstallerProductContract, RemovalFromACopyOfTheCachedPackage) {
  SilentInstalls silent(*msi_);
  const FixturePackage& package = kFallbackPackage;
  RemoveLeftover(package);
  Install(package);

  EXPECT_EQ(msi_->ConfigureProductExW(package.productCode, kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll),
            kMsiInstallFailure)
      << "this package refuses a removal from its cached package";
  ASSERT_TRUE(under_->IsInstalled(package.productCode)) << "a failed removal leaves the product installed";

  const std::wstring copy = under_->TempDirectory() + package.fileName;
  EXPECT_EQ(RemoveFromCopyOfCachedPackage(package.productCode), kMsiSuccess)
      << "MsiInstallProductW(copy, REMOVE=ALL) removes the product";
  EXPECT_FALSE(under_->IsInstalled(package.productCode));
  EXPECT_FALSE(under_->FileExists(copy));
  MsiStatus status = kMsiSuccess;
  Info(package.productCode, L"LocalPackage", &status);
  EXPECT_EQ(status, kMsiUnknownProduct);
}

}  // namespace
}  // namespace platform
