#include "app/file_picker.h"

#include <cstring>

#include "base/text.h"
#include "platform/platform.h"
#include "platform/ui_strings.h"
#include "registry/registry_key.h"

namespace orvinta::app {

namespace {

constexpr uint32_t kPathUnits = 260;
constexpr uint32_t kOpenFlags = 0x11000800;  // OFN_PATHMUSTEXIST and the platform's two bits
constexpr uint32_t kSaveFlags = 0x11000002;  // OFN_OVERWRITEPROMPT and the same two bits
constexpr uint32_t kMessageYesNoQuestion = 0x24;
constexpr int32_t kIdYes = 6;

void Copy(char16_t* to, std::u16string_view from, size_t capacity) {
  size_t n = 0;
  for (; n < from.size() && n + 1 < capacity; ++n) to[n] = from[n];
  to[n] = 0;
}

// RFileShell may be installed with the file manager that brings it: its folder is kept in the
// registry. Empty when the value is missing or empty.
// The key is opened as RegistryKey opens keys, so it is created when missing; that change is
// made lasting like any other.
void ExplorerInstallFolder(char16_t* folder) {
  folder[0] = 0;
  {
    registry::RegistryKey key(platform::RootKeyHandle(win::kHkeyLocalMachine), u"SOFTWARE\\Apps\\Resco Explorer");
    uint32_t type = 0;
    uint32_t size = (kPathUnits - 1) * sizeof(char16_t);
    if (key.IsOpen() &&
        platform::Get().registry->RegQueryValueExW(key.Handle(), u"InstallDir", &type, folder, &size) == 0) {
      folder[size / sizeof(char16_t) < kPathUnits ? size / sizeof(char16_t) : kPathUnits - 1] = 0;
    } else {
      folder[0] = 0;
    }
  }
  platform::Get().registry->CommitChanges();
}

platform::ModuleHandle LoadPickerLibrary(platform::FileDialogs& dialogs, const PickerLibrary& library) {
  platform::ModuleHandle module = dialogs.LoadDialogLibrary(library.name);
  if (module != nullptr || std::u16string_view(library.name) != u"RFileShell") return module;
  char16_t path[kPathUnits + 16];
  ExplorerInstallFolder(path);
  size_t length = base::TextLength(path);
  if (length == 0) return nullptr;
  if (path[length - 1] != u'\\') path[length++] = u'\\';
  Copy(path + length, library.name, sizeof path / sizeof path[0] - length);
  return dialogs.LoadDialogLibrary(path);
}

}  // namespace

uint32_t ComputePlatformInfo(platform::FileDialogs& dialogs) {
  uint32_t major = 0;
  uint32_t minor = 0;
  dialogs.GetVersion(&major, &minor);
  uint32_t info = (major & 0xFF) | (minor & 0xFF) << 8;
  char16_t type[40] = {};  // 80 bytes
  dialogs.PlatformType(type, 40);
  if (platform::Get().text->CompareNoCase(type, u"PocketPC") == 0) info |= kPocketPcBit;
  return info;
}

uint32_t GetPlatformInfo(platform::FileDialogs& dialogs) {
  static uint32_t kept = 0;
  if (kept == 0) kept = ComputePlatformInfo(dialogs);
  return kept;
}

std::u16string_view FirstPatternList(std::u16string_view filter) {
  size_t start = filter.find(u'|');
  if (start == std::u16string_view::npos) return {};
  size_t end = filter.find(u'|', start + 1);
  return filter.substr(start + 1, end == std::u16string_view::npos ? std::u16string_view::npos : end - start - 1);
}

void DefaultExtension(std::u16string_view filter, char16_t extension[16]) {
  std::u16string_view patterns = FirstPatternList(filter);
  size_t dot = patterns.find(u'.');
  if (dot == std::u16string_view::npos) {
    extension[0] = 0;
    return;
  }
  size_t end = patterns.find(u';', dot);
  Copy(extension, patterns.substr(dot, end == std::u16string_view::npos ? std::u16string_view::npos : end - dot), 16);
}

int32_t PickFileName(platform::FileDialogs& dialogs, uintptr_t owner, char16_t* box, bool save, uint32_t platformInfo) {
  char16_t file[kPathUnits];
  Copy(file, box, kPathUnits);
  if (file[0] == 0) Copy(file, u"\\", kPathUnits);

  // The filter's "|" become zeros: the platform's list of description and pattern pairs.
  constexpr std::u16string_view kFilterText = u"" ORVINTA_TEXT_FILTER;
  char16_t filter[kPathUnits];
  Copy(filter, kFilterText, kPathUnits);
  for (char16_t& c : filter) {
    if (c == u'|') c = 0;
  }
  char16_t extension[16];
  DefaultExtension(kFilterText, extension);
  const char16_t* title = save ? u"" ORVINTA_TEXT_SAVE : u"" ORVINTA_TEXT_OPEN;

  platform::FileDialogRecord record{};
  record.owner = owner;
  record.filter = filter;
  record.file = file;
  record.fileUnits = kPathUnits;
  record.initialDirectory = u"\\";
  record.title = title;
  record.flags = save ? kSaveFlags : kOpenFlags;
  record.defaultExtension = extension[0] != 0 ? extension : nullptr;
  record.sortOrder = 0x8002;
  record.extendedFlags = 2;

  int32_t result = 0;
  const PickerLibrary* used = nullptr;
  for (const PickerLibrary& library : kPickerLibraries) {
    platform::ModuleHandle module = LoadPickerLibrary(dialogs, library);
    if (module == nullptr) continue;
    platform::ExportAddress function = dialogs.GetProcAddressW(module, save ? library.saveFunction : library.openFunction);
    if (function == nullptr) {
      dialogs.FreeLibrary(module);
      continue;
    }
    record.size = library.recordSize;
    result = dialogs.CallDialog(function, library.form, save, record);
    dialogs.FreeLibrary(module);
    used = &library;
    break;  // its answer is final, a cancel included
  }

  // A Smartphone 2003 has only the core library's dialog, which can't browse: say what to get
  // and offer a name in My Documents.
  bool coreDialog = used == &kPickerLibraries[3];
  if (coreDialog && result == 0 && (platformInfo & kPocketPcBit) == 0 && (platformInfo & 0xFF) < 5) {
    Copy(file, u"\\My Documents\\Orvinta", kPathUnits);
    size_t length = base::TextLength(file);
    Copy(file + length, extension, kPathUnits - length);
    result = dialogs.MessageBoxW(owner, u"" ORVINTA_TEXT_PICKER_HELP, title, kMessageYesNoQuestion) == kIdYes ? 1 : 0;
  }
  if (result != 0) Copy(box, file, kPathUnits);
  return result;
}

}  // namespace orvinta::app
