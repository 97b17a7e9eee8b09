// What every fuzz target shares: a private folder that holds the device's root and the registry
// and goes when the fuzzer ends; the services that keep a script inside it; a fresh registry per
// input; and inputs read as UTF-16 text.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "engine/script_context.h"
#include "platform/device_journal.h"
#include "platform/host/code_page.h"
#include "platform/host/hive_registry.h"
#include "platform/host/system_calls.h"
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

// The private folder, made on the first call, which must come before anything reads the
// variables: the device's root is its "root", the default registry its "registry".
inline const std::filesystem::path& PrivateFolder() {
  static const std::filesystem::path folder = [] {
    std::string made = (std::filesystem::temp_directory_path() / "orvinta-fuzz-XXXXXX").string();
    if (mkdtemp(made.data()) == nullptr) std::abort();
    setenv("ORVINTA_ROOT", (made + "/root").c_str(), 1);
    setenv("ORVINTA_REGISTRY", (made + "/registry").c_str(), 1);
    unsetenv("ORVINTA_LOG");
    unsetenv("ORVINTA_JOURNAL");
    // Found again through the variable: `folder` itself is destroyed before atexit handlers run.
    std::atexit([] { std::filesystem::remove_all(std::filesystem::path(getenv("ORVINTA_ROOT")).parent_path()); });
    return std::filesystem::path(made);
  }();
  return folder;
}

// Puts the services that keep scripts inside in place, once; the files service is of the
// target's choosing. Each decorator is in force from its construction on.
template <typename Files = DeviceOnlyFiles>
Files& Sandbox() {
  PrivateFolder();
  static QuietDevice device;
  static RefusingProcesses processes;
  static Files files;
  pf::Get().device = &device;
  return files;
}

// The device's root, emptied (a deleting input may itself have removed it), the sandbox in place.
inline std::filesystem::path FreshRoot() {
  Sandbox();
  const std::filesystem::path root = PrivateFolder() / "root";
  std::filesystem::remove_all(root);
  std::filesystem::create_directories(root);
  return root;
}

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// One of the ANSI code pages the device meets, chosen by a byte of the input.
inline void SelectCodePage(uint8_t choice) {
  static const uint32_t kCodePages[] = {65001, 1252, 936};
  pf::host::SelectAnsiCodePage(kCodePages[choice % 3]);
}

// An empty registry for one input, over a hive file whose writes skip the flush to disk
// (through the hive's system-call seam).
class FreshRegistry {
 public:
  FreshRegistry() : registry_(MakeEmpty()), override_(&pf::Services::registry, registry_.get()) {}

 private:
  static std::unique_ptr<pf::Registry> MakeEmpty() {
    const std::string hive = (PrivateFolder() / "registry.hive").string();
    pf::host::Sys().fsync = [](int) { return 0; };
    pf::host::Sys().fdatasync = [](int) { return 0; };
    std::filesystem::remove(hive);
    std::filesystem::remove(hive + ".log");
    return pf::host::MakeHiveRegistry(hive);
  }
  std::unique_ptr<pf::Registry> registry_;
  pf::ServiceOverride<pf::Registry> override_;
};

// The input as UTF-16 code units (little-endian pairs) up to the first zero unit, at most `most`.
inline std::u16string Utf16Of(const uint8_t* data, size_t size, size_t most = std::u16string::npos) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size && text.size() < most; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

// A command's argument as the line buffer holds it: at most 1023 units after the keyword.
inline std::u16string ArgumentOf(const uint8_t* data, size_t size) {
  return Utf16Of(data, size, engine::kLineBufferUnits - 6);
}

// The text, zero-terminated, in a buffer of its own length: a read past its end is caught.
inline std::unique_ptr<char16_t[]> OwnBuffer(std::u16string_view text) {
  auto buffer = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), buffer.get());
  buffer[text.size()] = 0;
  return buffer;
}

}  // namespace orvinta::fuzz
