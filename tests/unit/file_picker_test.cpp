// The file-name picker over a platform whose libraries the test chooses: the order of the
// four, the registry's folder for RFileShell, the record, and the Smartphone 2003 fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/file_picker.h"
#include "base/utf8.h"
#include "platform/platform.h"
#include "registry/registry_key.h"

namespace orvinta::test {
namespace {

namespace pf = ::orvinta::platform;

struct Library {
  std::vector<std::u16string> exports;
  int32_t answer = 0;              // what its dialog returns
  std::u16string chosen;           // written into the record when the answer is non-zero
};

using Loaded = std::pair<const std::u16string, Library>;  // what a module handle points to

class FakeDialogs final : public pf::FileDialogs {
 public:
  std::map<std::u16string, Library> libraries;  // by the name LoadDialogLibrary is given
  uint32_t major = 5, minor = 2;
  std::u16string platformType = u"PocketPC";
  int32_t boxAnswer = 7;  // No
  std::vector<std::u16string> loaded, called;
  int unfreed = 0;  // libraries loaded and not freed again
  pf::FileDialogRecord seen{};
  std::u16string seenFile, seenFilter, boxText, boxCaption;

  pf::ModuleHandle LoadDialogLibrary(const char16_t* name) override {
    loaded.push_back(name);
    auto found = libraries.find(name);
    if (found == libraries.end()) return nullptr;
    ++unfreed;
    return &*found;
  }
  pf::ExportAddress GetProcAddressW(pf::ModuleHandle module, const char16_t* name) override {
    const std::vector<std::u16string>& exports = static_cast<Loaded*>(module)->second.exports;
    return std::find(exports.begin(), exports.end(), name) != exports.end() ? module : nullptr;
  }
  void FreeLibrary(pf::ModuleHandle) override { --unfreed; }
  int32_t CallDialog(pf::ExportAddress function, pf::FileDialogForm, bool, pf::FileDialogRecord& record) override {
    auto& [name, library] = *static_cast<Loaded*>(function);
    called.push_back(name);
    seen = record;
    seenFile = record.file;
    for (const char16_t* p = record.filter; *p != 0; p += std::u16string_view(p).size() + 1) {
      seenFilter += std::u16string(p) + u"|";
    }
    if (library.answer != 0) record.file[library.chosen.copy(record.file, library.chosen.size())] = 0;
    return library.answer;
  }
  int32_t MessageBoxW(uintptr_t, const char16_t* text, const char16_t* caption, uint32_t type) override {
    boxText = text;
    boxCaption = caption;
    EXPECT_EQ(type, 0x24u);
    return boxAnswer;
  }
  void GetVersion(uint32_t* ma, uint32_t* mi) override {
    *ma = major;
    *mi = minor;
  }
  void PlatformType(char16_t* buffer, uint32_t units) override {
    size_t n = 0;
    for (; n < platformType.size() && n + 1 < units; ++n) buffer[n] = platformType[n];
    buffer[n] = 0;
  }
};

constexpr uint32_t kPocketPc5 = 0x10000005;
constexpr uint32_t kSmartphone2003 = 0x00000004;

std::u16string Pick(FakeDialogs& dialogs, std::u16string_view initial, uint32_t info, int32_t* result) {
  char16_t box[260] = {};
  for (size_t i = 0; i < initial.size(); ++i) box[i] = initial[i];
  *result = app::PickFileName(dialogs, 0x1234, box, false, info);
  return box;
}

// A Smartphone 2003 can't browse: when its core dialog gives nothing, a box offers a fixed name.
TEST(FilePicker, TriesTheLibrariesInOrderThenOffersAFixedNameOnASmartphone2003) {
  const Library cancels{{u"RShellGetOpenFileName", u"GetOpenFileNameEx", u"GetOpenFileNameW"}, 0, {}};
  const Library chooses{{u"GetOpenFileNameEx", u"tGetFile", u"GetOpenFileNameW"}, 1, u"\\a.ovs"};
  const Library exportsNothing{{}, 1, u"\\never.ovs"};
  const std::map<std::u16string, Library> core{{u"CoreDll", cancels}};
  struct Case {
    const char* what;
    std::map<std::u16string, Library> libraries;
    std::vector<std::u16string> called;
    int32_t result;
    std::u16string box;
    uint32_t info = kPocketPc5;
    int32_t boxAnswer = 0;  // 0: no box may be shown
  } cases[] = {
      {"RFileShell first, its cancel final", {{u"RFileShell", cancels}, {u"AygShell", chooses}}, {u"RFileShell"}, 0, u"\\x"},
      {"the shell's extended dialog", {{u"AygShell", chooses}, {u"CoreDll", cancels}}, {u"AygShell"}, 1, u"\\a.ovs"},
      {"a library that exports nothing is passed", {{u"RFileShell", exportsNothing}, {u"tGetFile", chooses}},
       {u"tGetFile"}, 1, u"\\a.ovs"},
      {"on a PocketPC the core dialog's cancel shows nothing", core, {u"CoreDll"}, 0, u"\\x"},
      {"no library at all", {}, {}, 0, u"\\x"},
      {"Smartphone 2003, Yes", core, {u"CoreDll"}, 1, u"\\My Documents\\Orvinta.ovs", kSmartphone2003, 6},
      {"Smartphone 2003, No", core, {u"CoreDll"}, 0, u"\\x", kSmartphone2003, 7},
      {"a Smartphone 5 browses", core, {u"CoreDll"}, 0, u"\\x", 0x00000005},
      {"a PocketPC 2003", core, {u"CoreDll"}, 0, u"\\x", 0x10000004},
  };
  for (const Case& c : cases) {
    FakeDialogs dialogs;
    dialogs.libraries = c.libraries;
    dialogs.boxAnswer = c.boxAnswer;
    int32_t result = 0;
    EXPECT_EQ(Pick(dialogs, u"\\x", c.info, &result), c.box) << c.what;
    EXPECT_EQ(result, c.result) << c.what;
    EXPECT_EQ(dialogs.called, c.called) << c.what;
    EXPECT_EQ(dialogs.unfreed, 0) << c.what << ": every library loaded is freed again";
    EXPECT_EQ(dialogs.boxText.empty(), c.boxAnswer == 0) << c.what;
    if (c.boxAnswer != 0) {
      EXPECT_EQ(dialogs.boxCaption, u"打开");
      EXPECT_TRUE(dialogs.boxText.starts_with(u"如果要在 Smartphone 2003 中浏览获取文件名")) << base::Utf16ToUtf8(dialogs.boxText);
    }
  }
}

TEST(FilePicker, FillsTheRecordAsTheDialogsExpect) {
  FakeDialogs dialogs;
  dialogs.libraries[u"AygShell"] = {{u"GetOpenFileNameEx"}, 0, {}};
  int32_t result = 0;
  Pick(dialogs, u"", kPocketPc5, &result);
  EXPECT_EQ(dialogs.seen.size, 84u);
  EXPECT_EQ(dialogs.seenFile, u"\\");  // an empty box starts at the root
  EXPECT_EQ(dialogs.seen.flags, 0x11000800u);
  EXPECT_EQ(std::u16string(dialogs.seen.defaultExtension), u".ovs");
  EXPECT_EQ(std::u16string(dialogs.seen.title), u"打开");
  EXPECT_EQ(std::u16string(dialogs.seen.initialDirectory), u"\\");
  EXPECT_EQ(dialogs.seen.sortOrder, 0x8002u);
  EXPECT_EQ(dialogs.seen.extendedFlags, 2u);
  EXPECT_EQ(dialogs.seen.owner, 0x1234u);
  EXPECT_EQ(dialogs.seenFilter,
            u"所有支持文件 (*.ovs;*.reg;*xml)|*.ovs;*.reg;*xml|命令文件 (*.ovs)|*.ovs|注册表文件 (*.reg)|*.reg|"
            u"配置文件 (*xml)|*xml|所有文件 (*.*)|*.*|");
  FakeDialogs core;
  core.libraries[u"CoreDll"] = {{u"GetOpenFileNameW"}, 0, {}};
  Pick(core, u"\\Storage\\a.ovs", kPocketPc5, &result);
  EXPECT_EQ(core.seen.size, 76u);
  EXPECT_EQ(core.seenFile, u"\\Storage\\a.ovs");
}

TEST(FilePicker, FindsRFileShellInTheFileManagersFolder) {
  {
    registry::RegistryKey key(pf::RootKeyHandle(win::kHkeyLocalMachine), u"SOFTWARE\\Apps\\Resco Explorer");
    ASSERT_TRUE(key.SetString(u"InstallDir", u"\\Storage\\Tools"));
  }
  pf::Get().registry->CommitChanges();
  FakeDialogs dialogs;
  dialogs.libraries[u"\\Storage\\Tools\\RFileShell"] = {{u"RShellGetOpenFileName"}, 1, u"\\b.reg"};
  int32_t result = 0;
  EXPECT_EQ(Pick(dialogs, u"", kPocketPc5, &result), u"\\b.reg");
  EXPECT_EQ(dialogs.loaded, (std::vector<std::u16string>{u"RFileShell", u"\\Storage\\Tools\\RFileShell"}));
  pf::Get().registry->RegDeleteKeyW(pf::RootKeyHandle(win::kHkeyLocalMachine), u"SOFTWARE\\Apps\\Resco Explorer");
  pf::Get().registry->CommitChanges();
}

TEST(FilePicker, PlatformInfoAndTheFiltersRules) {
  FakeDialogs dialogs;
  dialogs.major = 4;
  dialogs.minor = 21;
  dialogs.platformType = u"pocketpc";  // compared without regard to case
  EXPECT_EQ(app::ComputePlatformInfo(dialogs), 0x10001504u);
  dialogs.platformType = u"SmartPhone";
  EXPECT_EQ(app::ComputePlatformInfo(dialogs), 0x00001504u);

  struct Case {
    std::u16string_view filter, patterns, extension;
  } cases[] = {
      {u"a|*.ovs;*.reg;*xml|b|*.reg|", u"*.ovs;*.reg;*xml", u".ovs"},
      {u"a|*xml|", u"*xml", u""},
      {u"a|*.*|", u"*.*", u".*"},
      {u"a|x;*.txt|", u"x;*.txt", u".txt"},
      {u"no pairs", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::FirstPatternList(c.filter), c.patterns);
    char16_t extension[16];
    app::DefaultExtension(c.filter, extension);
    EXPECT_EQ(std::u16string_view(extension), c.extension) << base::Utf16ToUtf8(c.filter);
  }
}

}  // namespace
}  // namespace orvinta::test
