// What keeps a fuzz target's scripts inside it: a device that neither waits nor beeps nor has the
// device's own services, a processes service that starts, loads and ends nothing, and a file
// service that refuses every path but a device path (below the target's private root). The
// processes and files services are the tests' forwarding decorators: each is in force from its
// construction on.
#pragma once
#include "platform/device_journal.h"
#include "platform/platform.h"
#include "support/services.h"

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
class DeviceOnlyFiles : public test::ForwardingFiles {
 public:
  pf::FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                             uint32_t flags) override {
    if (!Device(path) || (openLimit >= 0 && ++opened > openLimit)) return Refused(pf::kInvalidHandleValue);
    return inner.CreateFileW(path, access, share, disposition, flags);
  }
  bool CreateDirectoryW(const char16_t* p) override { return Device(p) ? inner.CreateDirectoryW(p) : Refused(false); }
  bool RemoveDirectoryW(const char16_t* p) override { return Device(p) ? inner.RemoveDirectoryW(p) : Refused(false); }
  bool DeleteFileW(const char16_t* p) override { return Device(p) ? inner.DeleteFileW(p) : Refused(false); }
  bool MoveFileW(const char16_t* a, const char16_t* b) override {
    return Device(a) && Device(b) ? inner.MoveFileW(a, b) : Refused(false);
  }
  bool CopyFileW(const char16_t* a, const char16_t* b, bool f) override {
    return Device(a) && Device(b) ? inner.CopyFileW(a, b, f) : Refused(false);
  }
  uint32_t GetFileAttributesW(const char16_t* p) override {
    return Device(p) ? inner.GetFileAttributesW(p) : Refused(pf::kInvalidFileAttributes);
  }
  bool GetFileAttributesExW(const char16_t* p, pf::FileAttributeData* d) override {
    return Device(p) ? inner.GetFileAttributesExW(p, d) : Refused(false);
  }
  pf::SearchHandle FindFirstFileW(const char16_t* p, pf::FindData* d) override {
    return Device(p) ? inner.FindFirstFileW(p, d) : Refused(pf::kInvalidHandleValue);
  }

  int openLimit = -1;  // files that may be opened until `opened` is reset; -1: no limit
  int opened = 0;

 private:
  static bool Device(const char16_t* path) { return path[0] == u'\\'; }
  template <typename T>
  T Refused(T value) {
    inner.SetLastError(5);
    return value;
  }
};

}  // namespace orvinta::fuzz
