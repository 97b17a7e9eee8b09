// What keeps a fuzz target's scripts inside it: a device that neither waits nor beeps nor has the
// device's own services, a processes service that starts, loads and ends nothing, and a file
// service that refuses every path but a device path (below the target's private root).
#pragma once
#include "platform/device_journal.h"
#include "platform/platform.h"
#include "support/forwarding_processes.h"

namespace orvinta::fuzz {

namespace pf = ::orvinta::platform;

// WAIT and BEEP cost nothing, whatever number they are given.
class QuietDevice final : public pf::StandInDevice {
 public:
  void Sleep(uint32_t) override {}
};

// Scripts may name host programs and libraries (EXEC /bin/..., CDLL /usr/lib/...): the fuzzer
// starts, loads and ends nothing. Every refusal fails the way the platform's call does.
class RefusingProcesses final : public test::ForwardingProcesses {
 public:
  bool CreateProcessW(const char16_t*, char16_t*, pf::ProcessInformation*) override { return false; }
  pf::ModuleHandle LoadLibraryW(const char16_t*) override { return nullptr; }
  pf::Handle OpenProcess(uint32_t, bool, uint32_t) override { return nullptr; }
  bool TerminateProcess(pf::Handle, uint32_t) override { return false; }
};

// Device paths go on to the host's file service; "/..." and relative paths, which would reach
// the machine's own files, are refused with "access denied".

class DeviceOnlyFiles : public pf::Files {
 public:
  explicit DeviceOnlyFiles(pf::Files* inner) : inner_(inner) {}

  pf::FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                             uint32_t flags) override {
    if (!Device(path) || (openLimit >= 0 && ++opened > openLimit)) return Refused(pf::kInvalidHandleValue);
    return inner_->CreateFileW(path, access, share, disposition, flags);
  }

  bool ReadFile(pf::FileHandle f, void* b, uint32_t n, uint32_t* r) override { return inner_->ReadFile(f, b, n, r); }
  bool WriteFile(pf::FileHandle f, const void* d, uint32_t n, uint32_t* w) override { return inner_->WriteFile(f, d, n, w); }
  uint32_t GetFileSize(pf::FileHandle f, uint32_t* h) override { return inner_->GetFileSize(f, h); }
  uint32_t SetFilePointer(pf::FileHandle f, int32_t d, int32_t* h, uint32_t m) override {
    return inner_->SetFilePointer(f, d, h, m);
  }
  bool CloseHandle(pf::FileHandle f) override { return inner_->CloseHandle(f); }
  bool CreateDirectoryW(const char16_t* p) override { return Device(p) ? inner_->CreateDirectoryW(p) : Refused(false); }
  bool RemoveDirectoryW(const char16_t* p) override { return Device(p) ? inner_->RemoveDirectoryW(p) : Refused(false); }
  bool DeleteFileW(const char16_t* p) override { return Device(p) ? inner_->DeleteFileW(p) : Refused(false); }
  bool MoveFileW(const char16_t* a, const char16_t* b) override {
    return Device(a) && Device(b) ? inner_->MoveFileW(a, b) : Refused(false);
  }
  bool CopyFileW(const char16_t* a, const char16_t* b, bool f) override {
    return Device(a) && Device(b) ? inner_->CopyFileW(a, b, f) : Refused(false);
  }
  uint32_t GetFileAttributesW(const char16_t* p) override {
    return Device(p) ? inner_->GetFileAttributesW(p) : Refused(pf::kInvalidFileAttributes);
  }
  bool GetFileAttributesExW(const char16_t* p, pf::FileAttributeData* d) override {
    return Device(p) ? inner_->GetFileAttributesExW(p, d) : Refused(false);
  }
  pf::SearchHandle FindFirstFileW(const char16_t* p, pf::FindData* d) override {
    return Device(p) ? inner_->FindFirstFileW(p, d) : Refused(pf::kInvalidHandleValue);
  }
  bool FindNextFileW(pf::SearchHandle s, pf::FindData* d) override { return inner_->FindNextFileW(s, d); }
  bool FindClose(pf::SearchHandle s) override { return inner_->FindClose(s); }
  uint32_t GetLastError() override { return inner_->GetLastError(); }
  void SetLastError(uint32_t code) override { inner_->SetLastError(code); }
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    return inner_->SpecialFolderPath(csidl, buffer, create);
  }
  bool NarrowPathForOpen(const char16_t* p, char* b, uint32_t n) override {
    if (Device(p)) return inner_->NarrowPathForOpen(p, b, n);
    if (n > 0) b[0] = 0;
    return false;
  }
  bool IsPathSeparator(char16_t c) const override { return inner_->IsPathSeparator(c); }

  int openLimit = -1;  // files that may be opened until `opened` is reset; -1: no limit
  int opened = 0;

 private:
  static bool Device(const char16_t* path) { return path[0] == u'\\'; }
  template <typename T>
  T Refused(T value) {
    inner_->SetLastError(5);
    return value;
  }
  pf::Files* inner_;
};

}  // namespace orvinta::fuzz
