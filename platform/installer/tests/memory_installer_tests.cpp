// Behaviour of the in-memory installer that the contract suite cannot show
// on Wine: what tests set up and inspect, injected faults, and the removal
// results a real package would need a custom action to produce.

#include <gtest/gtest.h>

#include "platform/installer/memory_installer.h"

namespace platform {
namespace {

constexpr wchar_t kUpgrade[] = L"{00000000-0000-0000-0000-0000000000AA}";
constexpr wchar_t kRemoveAll[] = L"REMOVE=ALL REBOOT=ReallySuppress";

MemoryPackage Package(const wchar_t* productCode, const wchar_t* version,
                      MsiStatus normalRemovalResult = kMsiSuccess) {
  return MemoryPackage{productCode, kUpgrade, version, L"Product", normalRemovalResult};
}

std::vector<std::wstring> Related(IInstaller& msi) {
  std::vector<std::wstring> codes;
  wchar_t code[kProductCodeChars] = {};
  for (std::uint32_t i = 0; msi.EnumRelatedProductsW(kUpgrade, i, code) == kMsiSuccess; ++i) codes.emplace_back(code);
  return codes;
}

MsiStatus RemoveNormally(IInstaller& msi, const wchar_t* productCode) {
  return msi.ConfigureProductExW(productCode, kInstallLevelMaximum, kInstallStateAbsent, kRemoveAll);
}

TEST(MemoryInstaller, SessionsAreSeparateAndInspectable) {
  MemoryInstaller msi;
  const MsiHandle a = msi.OpenSession();
  const MsiHandle b = msi.OpenSession();
  ASSERT_NE(a, b);
  ASSERT_EQ(msi.SetPropertyW(a, L"P", L"in a"), kMsiSuccess);
  EXPECT_EQ(msi.Property(a, L"P"), L"in a");
  EXPECT_EQ(msi.Property(b, L"P"), L"");

  const MsiHandle record = msi.CreateRecord(1);
  ASSERT_EQ(msi.RecordSetStringW(record, 0, L"line for b"), kMsiSuccess);
  EXPECT_EQ(msi.ProcessMessage(b, kInstallMessageInfo, record), 0);
  EXPECT_EQ(msi.LogLines(b), std::vector<std::wstring>{L"line for b"});
  EXPECT_TRUE(msi.LogLines(a).empty());
  EXPECT_EQ(msi.ProcessMessage(0x0A000000, kInstallMessageInfo, record), -1) << "no such session";

  ASSERT_EQ(msi.SetMode(b, kMsiRunModeRebootAtEnd, true), kMsiSuccess);
  EXPECT_TRUE(msi.RebootAtEnd(b));
  EXPECT_FALSE(msi.RebootAtEnd(a));

  EXPECT_EQ(msi.OpenHandleCount(), 3u) << "two sessions and a record";
  EXPECT_EQ(msi.CloseHandle(record), kMsiSuccess);
  EXPECT_EQ(msi.CloseHandle(a), kMsiSuccess);
  EXPECT_EQ(msi.CloseHandle(b), kMsiSuccess);
  EXPECT_EQ(msi.OpenHandleCount(), 0u);
  EXPECT_EQ(msi.Property(a, L"P"), L"") << "a closed session holds nothing";
}

TEST(MemoryInstaller, TemplateCornersOfLogLines) {
  MemoryInstaller msi;
  const MsiHandle session = msi.OpenSession();
  ASSERT_EQ(msi.SetPropertyW(session, L"P", L"pv"), kMsiSuccess);
  struct Case {
    const wchar_t* field0;
    const wchar_t* line;
  };
  const Case cases[] = {
      {L"[0]", L"[0]"},                  // field 0 is the template itself
      {L"[01] [3]", L"one "},            // fields by number; beyond the record: nothing
      {L"[[2]]", L"pv"},                 // the inner name first, then the outer
      {L"cut[~]off", L"cut"},            // a null ends the line
      {L"[#file] [$comp] [%TEMP] []", L"   "},
      {L"[\\]", L""},
      {L"a]b", L"a]b"},
  };
  const MsiHandle record = msi.CreateRecord(2);
  ASSERT_EQ(msi.RecordSetStringW(record, 1, L"one"), kMsiSuccess);
  ASSERT_EQ(msi.RecordSetStringW(record, 2, L"P"), kMsiSuccess);
  for (const Case& c : cases) {
    ASSERT_EQ(msi.RecordSetStringW(record, 0, c.field0), kMsiSuccess);
    (void)msi.ProcessMessage(session, kInstallMessageInfo, record);
  }
  const std::vector<std::wstring> lines = msi.LogLines(session);
  ASSERT_EQ(lines.size(), std::size(cases));
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], cases[i].line) << "case " << i;

  // Only messages that the log records become lines.
  ASSERT_EQ(msi.RecordSetStringW(record, 0, L"progress"), kMsiSuccess);
  (void)msi.ProcessMessage(session, 0x0A000000, record);
  EXPECT_EQ(msi.LogLines(session).size(), std::size(cases));
  EXPECT_EQ(msi.CloseHandle(record), kMsiSuccess);
  EXPECT_EQ(msi.CloseHandle(session), kMsiSuccess);
}

TEST(MemoryInstaller, InjectedFaultsFailTheCallAndChangeNothing) {
  MemoryInstaller msi;
  const MsiHandle session = msi.OpenSession();
  ASSERT_EQ(msi.SetPropertyW(session, L"P", L"kept"), kMsiSuccess);

  msi.Faults().Fail("MsiSetProperty", kMsiFunctionFailed, 0, 1);
  EXPECT_EQ(msi.SetPropertyW(session, L"P", L"lost"), kMsiFunctionFailed);
  EXPECT_EQ(msi.Property(session, L"P"), L"kept");
  EXPECT_EQ(msi.SetPropertyW(session, L"P", L"new"), kMsiSuccess) << "the fault was for one call";

  msi.Faults().Fail("MsiGetPropertyW", kMsiInvalidHandle, 0, 1);
  wchar_t buffer[8] = {L'X'};
  std::uint32_t length = 8;
  EXPECT_EQ(msi.GetPropertyW(session, L"P", buffer, &length), kMsiInvalidHandle);
  EXPECT_EQ(length, 8u);
  EXPECT_EQ(buffer[0], L'X');

  msi.Faults().Fail("MsiCreateRecord", kMsiFunctionFailed, 0, 1);
  EXPECT_EQ(msi.CreateRecord(2), MsiHandle{0});
  EXPECT_EQ(msi.OpenHandleCount(), 1u);

  msi.AddInstalledProduct(L"C:\\p\\a.msi", Package(L"{00000000-0000-0000-0000-00000000000A}", L"1.0"));
  msi.Faults().Fail("MsiConfigureProductEx", kMsiInstallFailure, 0, 1);
  EXPECT_EQ(RemoveNormally(msi, L"{00000000-0000-0000-0000-00000000000A}"), kMsiInstallFailure);
  EXPECT_TRUE(msi.IsInstalled(L"{00000000-0000-0000-0000-00000000000A}"));

  msi.Faults().Fail("MsiEnumRelatedProducts", kMsiInvalidParameter, 0, 1);
  EXPECT_TRUE(Related(msi).empty());
  EXPECT_EQ(Related(msi).size(), 1u);

  msi.Faults().Fail("MsiSetInternalUI", static_cast<std::int32_t>(kInstallUiLevelNoChange), 0, 1);
  EXPECT_EQ(msi.SetInternalUI(kInstallUiLevelNone), kInstallUiLevelNoChange);
  EXPECT_EQ(msi.UiLevel(), kInstallUiLevelDefault) << "a failed call leaves the level";
  EXPECT_EQ(msi.CloseHandle(session), kMsiSuccess);
}

TEST(MemoryInstaller, NormalRemovalResults) {
  struct Case {
    MsiStatus result;
    bool removed;
  };
  const Case cases[] = {
      {kMsiSuccess, true},
      {kMsiSuccessRebootRequired, true},
      {kMsiSuccessRebootInitiated, true},
      {kMsiInstallFailure, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("removal result " + std::to_string(c.result));
    MemoryInstaller msi;
    const wchar_t* code = L"{00000000-0000-0000-0000-00000000000B}";
    msi.AddInstalledProduct(L"C:\\p\\b.msi", Package(code, L"2.0", c.result));
    EXPECT_EQ(RemoveNormally(msi, code), c.result);
    EXPECT_EQ(msi.IsInstalled(code), !c.removed);
    if (!c.removed) {
      // A product that refuses the normal removal is removed from a copy.
      wchar_t cached[260] = {};
      std::uint32_t length = 260;
      ASSERT_EQ(msi.GetProductInfoW(code, L"LocalPackage", cached, &length), kMsiSuccess);
      ASSERT_TRUE(msi.CopyPackage(cached, L"C:\\temp\\b.msi"));
      EXPECT_EQ(msi.InstallProductW(L"C:\\TEMP\\B.MSI", kRemoveAll), kMsiSuccess) << "paths ignore case";
      EXPECT_FALSE(msi.IsInstalled(code));
      EXPECT_FALSE(msi.HasPackage(cached)) << "the cached package goes with the product";
      EXPECT_TRUE(msi.HasPackage(L"C:\\temp\\b.msi")) << "the copy is the caller's to delete";
    }
  }
}

TEST(MemoryInstaller, ProductsAndTheCallsMadeOnThem) {
  MemoryInstaller msi;
  EXPECT_EQ(msi.UiLevel(), kInstallUiLevelDefault);
  EXPECT_EQ(msi.SetInternalUICount(), 0u);

  // Enumeration follows the installation order, which tests choose.
  const wchar_t* codes[] = {L"{00000000-0000-0000-0000-00000000000D}", L"{00000000-0000-0000-0000-00000000000C}"};
  msi.AddPackage(L"C:\\src\\d.msi", Package(codes[0], L"1.0"));
  msi.AddPackage(L"C:\\src\\c.msi", Package(codes[1], L"3.0"));
  ASSERT_EQ(msi.InstallProductW(L"C:\\src\\d.msi", L"ALLUSERS=1 TARGETDIR=\"C:\\Program Files\\x\""), kMsiSuccess);
  ASSERT_EQ(msi.InstallProductW(L"C:\\src\\c.msi", nullptr), kMsiSuccess);
  EXPECT_EQ(Related(msi), (std::vector<std::wstring>{codes[0], codes[1]}));
  EXPECT_EQ(msi.InstallProductW(L"C:\\src\\c.msi", L""), kMsiSuccess) << "installing again changes nothing";
  EXPECT_EQ(Related(msi).size(), 2u);
  EXPECT_EQ(msi.InstallProductW(L"C:\\src\\c.msi", L"BROKEN=\"unterminated"), kMsiInvalidCommandLine);
  EXPECT_EQ(msi.InstallProductW(L"C:\\src\\c.msi", L"NOVALUE"), kMsiInvalidCommandLine);

  // Product codes ignore case; what the product answers can be changed.
  wchar_t value[64] = {};
  std::uint32_t length = 64;
  ASSERT_EQ(msi.GetProductInfoW(L"{00000000-0000-0000-0000-00000000000d}", L"InstallSource", value, &length),
            kMsiSuccess);
  EXPECT_EQ(std::wstring(value), L"C:\\src\\");
  ASSERT_TRUE(msi.SetProductInfo(codes[0], L"PackageName", std::wstring(300, L'n')));
  length = 64;
  EXPECT_EQ(msi.GetProductInfoW(codes[0], L"PackageName", value, &length), kMsiMoreData);
  EXPECT_EQ(length, 300u);
  EXPECT_FALSE(msi.SetProductInfo(L"{00000000-0000-0000-0000-0000000000FF}", L"PackageName", L"x"));

  // A removal through a package of a product that is not installed is no-op success.
  msi.AddPackage(L"C:\\src\\e.msi", Package(L"{00000000-0000-0000-0000-00000000000E}", L"1.0"));
  EXPECT_EQ(msi.InstallProductW(L"C:\\src\\e.msi", kRemoveAll), kMsiSuccess);
  EXPECT_FALSE(msi.IsInstalled(L"{00000000-0000-0000-0000-00000000000E}"));

  EXPECT_EQ(RemoveNormally(msi, codes[1]), kMsiSuccess);
  const std::vector<MemoryProductCall>& calls = msi.ProductCalls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.back().operation, "MsiConfigureProductExW");
  EXPECT_EQ(calls.back().target, codes[1]);
  EXPECT_EQ(calls.back().commandLine, kRemoveAll);
  EXPECT_EQ(calls.back().result, kMsiSuccess);
  EXPECT_EQ(calls.front().operation, "MsiInstallProductW");
  EXPECT_EQ(calls.front().target, L"C:\\src\\d.msi");

  (void)msi.SetInternalUI(kInstallUiLevelNone);
  EXPECT_EQ(msi.UiLevel(), kInstallUiLevelNone);
  EXPECT_EQ(msi.SetInternalUICount(), 1u);
}

}  // namespace
}  // namespace platform
