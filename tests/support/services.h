// Stand-ins for the platform services. Each is in force from its construction to its
// destruction, so a test declares the ones it needs as locals. A forwarding base passes every
// call to the service that was in force before it; a fake derives from it and changes only the
// calls it is about.
#pragma once
#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "platform/device_journal.h"
#include "platform/platform.h"

namespace orvinta::test {

namespace pf = ::orvinta::platform;

// Installs the derived object in `slot` for its lifetime; `inner` is the service it replaced.
template <typename Service, Service* pf::Services::*slot>
class Installed : public Service {
 protected:
  Installed() : inner(*(pf::Get().*slot)), override_(slot, this) {}
  Service& inner;

 private:
  pf::ServiceOverride<Service> override_;
};

class ForwardingFiles : public Installed<pf::Files, &pf::Services::files> {
 public:
  pf::FileHandle CreateFileW(const char16_t* p, uint32_t a, uint32_t s, uint32_t d, uint32_t f) override {
    return inner.CreateFileW(p, a, s, d, f);
  }
  bool ReadFile(pf::FileHandle f, void* b, uint32_t n, uint32_t* r) override { return inner.ReadFile(f, b, n, r); }
  bool WriteFile(pf::FileHandle f, const void* d, uint32_t n, uint32_t* w) override {
    return inner.WriteFile(f, d, n, w);
  }
  uint32_t GetFileSize(pf::FileHandle f, uint32_t* high) override { return inner.GetFileSize(f, high); }
  uint32_t SetFilePointer(pf::FileHandle f, int32_t d, int32_t* high, uint32_t m) override {
    return inner.SetFilePointer(f, d, high, m);
  }
  bool CloseHandle(pf::FileHandle f) override { return inner.CloseHandle(f); }
  bool CreateDirectoryW(const char16_t* p) override { return inner.CreateDirectoryW(p); }
  bool RemoveDirectoryW(const char16_t* p) override { return inner.RemoveDirectoryW(p); }
  bool DeleteFileW(const char16_t* p) override { return inner.DeleteFileW(p); }
  bool MoveFileW(const char16_t* a, const char16_t* b) override { return inner.MoveFileW(a, b); }
  bool CopyFileW(const char16_t* a, const char16_t* b, bool f) override { return inner.CopyFileW(a, b, f); }
  uint32_t GetFileAttributesW(const char16_t* p) override { return inner.GetFileAttributesW(p); }
  bool GetFileAttributesExW(const char16_t* p, pf::FileAttributeData* d) override {
    return inner.GetFileAttributesExW(p, d);
  }
  pf::SearchHandle FindFirstFileW(const char16_t* p, pf::FindData* d) override { return inner.FindFirstFileW(p, d); }
  bool FindNextFileW(pf::SearchHandle s, pf::FindData* d) override { return inner.FindNextFileW(s, d); }
  bool FindClose(pf::SearchHandle s) override { return inner.FindClose(s); }
  uint32_t GetLastError() override { return inner.GetLastError(); }
  void SetLastError(uint32_t code) override { inner.SetLastError(code); }
  bool SpecialFolderPath(int csidl, char16_t* b, bool create) override {
    return inner.SpecialFolderPath(csidl, b, create);
  }
  bool IsPathSeparator(std::u16string_view p, size_t at) const override { return inner.IsPathSeparator(p, at); }
};

class ForwardingProcesses : public Installed<pf::Processes, &pf::Services::processes> {
 public:
  uint32_t ModuleFileName(char16_t* b, uint32_t n) override { return inner.ModuleFileName(b, n); }
  bool FindResourceData(std::u16string_view name, uint32_t type, pf::ResourceBytes* out) override {
    return inner.FindResourceData(name, type, out);
  }
  bool CreateProcessW(const char16_t* a, char16_t* c, pf::ProcessInformation* i) override {
    return inner.CreateProcessW(a, c, i);
  }
  uint32_t WaitForSingleObject(pf::Handle h, uint32_t ms) override { return inner.WaitForSingleObject(h, ms); }
  bool CloseHandle(pf::Handle h) override { return inner.CloseHandle(h); }
  pf::Handle CreateToolhelp32Snapshot(uint32_t f, uint32_t i) override { return inner.CreateToolhelp32Snapshot(f, i); }
  bool Process32FirstW(pf::Handle s, pf::ProcessEntry* e) override { return inner.Process32FirstW(s, e); }
  bool Process32NextW(pf::Handle s, pf::ProcessEntry* e) override { return inner.Process32NextW(s, e); }
  bool CloseToolhelp32Snapshot(pf::Handle s) override { return inner.CloseToolhelp32Snapshot(s); }
  pf::Handle OpenProcess(uint32_t a, bool i, uint32_t id) override { return inner.OpenProcess(a, i, id); }
  bool TerminateProcess(pf::Handle h, uint32_t code) override { return inner.TerminateProcess(h, code); }
  pf::ModuleHandle LoadLibraryW(const char16_t* p) override { return inner.LoadLibraryW(p); }
  pf::ExportAddress GetProcAddressW(pf::ModuleHandle m, const char16_t* n) override {
    return inner.GetProcAddressW(m, n);
  }
  bool FreeLibrary(pf::ModuleHandle m) override { return inner.FreeLibrary(m); }
  int32_t CallExport(pf::ExportAddress f, const uintptr_t* w, int n) override { return inner.CallExport(f, w, n); }
};

class ForwardingTextTime : public Installed<pf::TextTime, &pf::Services::text> {
 public:
  int FormatTime(char16_t* b, int n) override { return inner.FormatTime(b, n); }
  int FormatDate(char16_t* b, int n) override { return inner.FormatDate(b, n); }
  uint32_t FormatSystemMessage(uint32_t code, char16_t* b, uint32_t n) override {
    return inner.FormatSystemMessage(code, b, n);
  }
  int MultiByteToWideChar(const char* s, int l, char16_t* d, int n) override {
    return inner.MultiByteToWideChar(s, l, d, n);
  }
  int WideCharToMultiByte(const char16_t* s, int l, char* d, int n) override {
    return inner.WideCharToMultiByte(s, l, d, n);
  }
  int CompareNoCase(const char16_t* a, const char16_t* b) override { return inner.CompareNoCase(a, b); }
};

// Fixed date and time texts (nullopt: the platform fails); system message texts from the
// service in force unless `message` stands for the text of every code.
class FixedTextTime final : public ForwardingTextTime {
 public:
  int FormatTime(char16_t* buffer, int capacity) override { return Put(time, buffer, capacity); }
  int FormatDate(char16_t* buffer, int capacity) override { return Put(date, buffer, capacity); }
  uint32_t FormatSystemMessage(uint32_t code, char16_t* buffer, uint32_t capacity) override {
    if (!message) return inner.FormatSystemMessage(code, buffer, capacity);
    size_t n = message->copy(buffer, capacity - 1);
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
  }
  std::optional<std::u16string> time = u"12:34", date = u"06.05.2024", message;

 private:
  // A text that does not fit is a failure, as on the device, and leaves garbage behind.
  static int Put(const std::optional<std::u16string>& text, char16_t* buffer, int capacity) {
    if (!text || text->size() >= static_cast<size_t>(capacity)) return std::copy_n(u"BAD", 3, buffer), 0;
    buffer[text->copy(buffer, text->size())] = 0;
    return static_cast<int>(text->size() + 1);
  }
};

// Collects every appended text.
class CapturingLog final : public Installed<pf::Log, &pf::Services::log> {
 public:
  bool Enabled() override { return true; }
  void Append(std::u16string_view appended) override { text += appended; }
  std::u16string text;
};

// The tests' device: every call succeeds (KernelIoControl only for the codes the test names,
// when it names any), and nothing beeps, waits, plays or powers off.
class QuietDevice final : public pf::StandInDevice {
 public:
  std::set<uint32_t> kernelCodesThatSucceed;
  void Sleep(uint32_t) override {}
  bool KernelIoControl(uint32_t code, const void*, uint32_t, void*, uint32_t, uint32_t*) override {
    return kernelCodesThatSucceed.empty() || kernelCodesThatSucceed.count(code) != 0;
  }
  bool SetCleanRebootFlag() override { return true; }
  bool GwesPowerOffSystem() override { return true; }
  bool ExitWindowsEx(uint32_t, uint32_t) override { return true; }
  bool PlaySoundW(const char16_t*, uint32_t) override { return true; }

 private:
  pf::ServiceOverride<pf::Device> override_{&pf::Services::device, this};
};

}  // namespace orvinta::test
