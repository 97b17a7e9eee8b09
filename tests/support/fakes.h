// Stand-ins for the platform services. Each fake is in force from its construction to its
// destruction, so a test declares the fakes it needs as locals. Where a real service may leave
// garbage in a buffer on failure, the fake does so on purpose.
#pragma once
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/forwarding_processes.h"

namespace orvinta::test {

namespace pf = ::orvinta::platform;

// Installs the derived fake in `slot` for its lifetime; `replaced` is the service it stands in for.
template <typename Service, Service* pf::Services::*slot>
class Installed : public Service {
 protected:
  Installed() : replaced(pf::Get().*slot), override_(slot, this) {}
  Service* const replaced;

 private:
  pf::ServiceOverride<Service> override_;
};

// Records every call with its arguments in `journal` ("MessageBeep 5, Sleep 100,
// ProcessConfigXml 1 [document]"); never beeps or sleeps.
struct RecordingDevice final : Installed<pf::Device, &pf::Services::device> {
  bool MessageBeep(uint32_t type) override {
    Record(u"MessageBeep", type);
    return beepSucceeds;
  }
  void Sleep(uint32_t milliseconds) override { Record(u"Sleep", milliseconds); }
  uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags) override {
    Record(u"ProcessConfigXml", flags, u" [" + std::u16string(document) + u"]");
    documentAddress = document;
    return xmlResult;
  }
  // The services only a device has: recorded, and failing as on a platform without them.
  bool KernelIoControl(uint32_t code, const void*, uint32_t, void*, uint32_t, uint32_t*) override {
    Record(u"KernelIoControl", code);
    return false;
  }
  bool SetCleanRebootFlag() override { return Record(u"SetCleanRebootFlag", 0), false; }
  bool GwesPowerOffSystem() override { return Record(u"GwesPowerOffSystem", 0), false; }
  bool ExitWindowsEx(uint32_t flags, uint32_t) override { return Record(u"ExitWindowsEx", flags), false; }
  void KeybdEvent(uint8_t key, uint8_t, uint32_t flags, uintptr_t) override {
    Record(u"KeybdEvent", key, flags != 0 ? u" up" : u" down");
  }
  bool PlaySoundW(const char16_t* name, uint32_t flags) override {
    Record(u"PlaySound", flags, name != nullptr ? u" [" + std::u16string(name) + u"]" : u" null");
    return false;
  }

  void Record(std::u16string_view call, uint32_t value, std::u16string_view more = {}) {
    std::string number = std::to_string(value);
    journal += (journal.empty() ? u"" : u", ") + std::u16string(call) + u" " +
               std::u16string(number.begin(), number.end()) + std::u16string(more);
  }

  bool beepSucceeds = true;
  uint32_t xmlResult = 0;
  std::u16string journal;
  const char16_t* documentAddress = nullptr;
};

// Fixed date and time texts (nullopt: the platform fails); system message texts from the
// platform's own table unless `message` stands for the text of every code.
struct FixedTextTime final : Installed<pf::TextTime, &pf::Services::text> {
  int FormatTime(char16_t* buffer, int capacity) override { return Put(time, buffer, capacity); }
  int FormatDate(char16_t* buffer, int capacity) override { return Put(date, buffer, capacity); }
  uint32_t FormatSystemMessage(uint32_t code, char16_t* buffer, uint32_t capacity) override {
    if (!message) return replaced->FormatSystemMessage(code, buffer, capacity);
    size_t n = message->copy(buffer, capacity - 1);
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
  }
  int MultiByteToWideChar(const char* source, int length, char16_t* destination, int capacity) override {
    return replaced->MultiByteToWideChar(source, length, destination, capacity);
  }
  int WideCharToMultiByte(const char16_t* source, int length, char* destination, int capacity) override {
    return replaced->WideCharToMultiByte(source, length, destination, capacity);
  }
  int CompareNoCase(const char16_t* a, const char16_t* b) override { return replaced->CompareNoCase(a, b); }
  // A text that does not fit is a failure, as on the device, and leaves garbage behind.
  static int Put(const std::optional<std::u16string>& text, char16_t* buffer, int capacity) {
    if (!text || text->size() >= static_cast<size_t>(capacity)) return std::copy_n(u"BAD", 3, buffer), 0;
    buffer[text->copy(buffer, text->size())] = 0;
    return static_cast<int>(text->size() + 1);
  }

  std::optional<std::u16string> time = u"12:34", date = u"06.05.2024", message;
};

// Special folders with fixed paths (a csidl missing from `folders` fails, leaving garbage);
// records each create flag. Only "\" separates folders unless `slashSeparates` is set. Every
// file call goes on to the service it stands in for.
struct FakeFiles final : Installed<pf::Files, &pf::Services::files> {
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    createFlags.push_back(create);
    auto found = folders.find(csidl);
    if (found == folders.end()) return std::copy_n(u"BAD", 4, buffer), false;
    buffer[found->second.copy(buffer, 259)] = 0;
    return true;
  }
  bool IsPathSeparator(char16_t c) const override { return c == u'\\' || (slashSeparates && c == u'/'); }

  pf::FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                             uint32_t flags) override {
    return replaced->CreateFileW(path, access, share, disposition, flags);
  }
  bool ReadFile(pf::FileHandle f, void* b, uint32_t n, uint32_t* r) override { return replaced->ReadFile(f, b, n, r); }
  bool WriteFile(pf::FileHandle f, const void* d, uint32_t n, uint32_t* w) override {
    return replaced->WriteFile(f, d, n, w);
  }
  uint32_t GetFileSize(pf::FileHandle f, uint32_t* high) override { return replaced->GetFileSize(f, high); }
  uint32_t SetFilePointer(pf::FileHandle f, int32_t d, int32_t* high, uint32_t m) override {
    return replaced->SetFilePointer(f, d, high, m);
  }
  bool CloseHandle(pf::FileHandle f) override { return replaced->CloseHandle(f); }
  bool CreateDirectoryW(const char16_t* p) override { return replaced->CreateDirectoryW(p); }
  bool RemoveDirectoryW(const char16_t* p) override { return replaced->RemoveDirectoryW(p); }
  bool DeleteFileW(const char16_t* p) override { return replaced->DeleteFileW(p); }
  bool MoveFileW(const char16_t* a, const char16_t* b) override { return replaced->MoveFileW(a, b); }
  bool CopyFileW(const char16_t* a, const char16_t* b, bool f) override { return replaced->CopyFileW(a, b, f); }
  uint32_t GetFileAttributesW(const char16_t* p) override { return replaced->GetFileAttributesW(p); }
  bool GetFileAttributesExW(const char16_t* p, pf::FileAttributeData* d) override {
    return replaced->GetFileAttributesExW(p, d);
  }
  pf::SearchHandle FindFirstFileW(const char16_t* p, pf::FindData* d) override { return replaced->FindFirstFileW(p, d); }
  bool FindNextFileW(pf::SearchHandle s, pf::FindData* d) override { return replaced->FindNextFileW(s, d); }
  bool FindClose(pf::SearchHandle s) override { return replaced->FindClose(s); }
  uint32_t GetLastError() override { return replaced->GetLastError(); }
  void SetLastError(uint32_t code) override { replaced->SetLastError(code); }
  bool NarrowPathForOpen(const char16_t* p, char* b, uint32_t n) override { return replaced->NarrowPathForOpen(p, b, n); }

  std::map<int, std::u16string> folders;
  bool slashSeparates = false;
  std::vector<bool> createFlags;
};

// Collects every appended text.
struct CapturingLog final : Installed<pf::Log, &pf::Services::log> {
  bool Enabled() override { return true; }
  void Append(std::u16string_view appended) override { text += appended; }
  std::u16string text;
};

// The program's path and the default-script resource: "ORVINTA" of type RT_RCDATA, found
// without regard to case, in a heap block of exactly its size (nullopt: missing). Every other
// call goes to the processes service in force before it.
struct FakeProcesses final : ForwardingProcesses {
  uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) override {
    size_t n = programPath.copy(buffer, capacity - 1);
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
  }
  bool FindResourceData(std::u16string_view name, uint32_t type, pf::ResourceBytes* out) override {
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    if (!resource || type != win::kRtRcData || !std::ranges::equal(name, std::u16string_view(u"ORVINTA"), {}, upper))
      return false;
    *out = {resource->data(), static_cast<uint32_t>(resource->size())};
    return true;
  }

  std::u16string programPath = u"\\Program Files\\Orvinta\\orvinta.exe";
  std::optional<std::vector<unsigned char>> resource;

 private:
  pf::ServiceOverride<pf::Processes> override_{&pf::Services::processes, this};
};

}  // namespace orvinta::test
