// Arbitrary bytes through the load path: encoding detection, the ANSI conversion, the header
// tests and the runner. The first byte picks the ANSI code page (UTF-8, 1252 or 936); the rest
// is the file, written below a private temporary root and loaded as "\fuzz\in.ovs". Beside it
// lie a subfolder with a script and a UTF-16 file, so that wildcards and nested LOADs find
// something. Scripts get a device that neither sleeps nor beeps, and no path outside the
// private root: a host path ("/..." or relative) is refused by the file service. Each input may
// open 256 files: a script that loads itself twice per run asks, by its own meaning, for 2^256
// loads (runs nest at most 256 deep), which is no fault of the program but would read as a hang.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/load.h"
#include "platform/host/code_page.h"
#include "platform/platform.h"

namespace {

namespace pf = orvinta::platform;

class QuietDevice final : public pf::Device {
 public:
  bool MessageBeep(uint32_t) override { return true; }
  void Sleep(uint32_t) override {}
  uint32_t ProcessConfigXml(const char16_t*, uint32_t) override { return 0x80004001; }
};

// Passes device paths on to the host's file service and refuses every other path.
class DeviceOnlyFiles final : public pf::Files {
 public:
  explicit DeviceOnlyFiles(pf::Files* inner) : inner_(inner) {}

  pf::FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                             uint32_t flags) override {
    if (!Device(path) || ++opened > kOpensPerInput) return Refused(pf::kInvalidHandleValue);
    return inner_->CreateFileW(path, access, share, disposition, flags);
  }

  static constexpr int kOpensPerInput = 256;
  int opened = 0;
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
  bool IsPathSeparator(char16_t c) const override { return inner_->IsPathSeparator(c); }

 private:
  static bool Device(const char16_t* path) { return path[0] == u'\\'; }
  template <typename T>
  T Refused(T value) {
    inner_->SetLastError(5);
    return value;
  }
  pf::Files* inner_;
};

std::string g_input;  // the host path of \fuzz\in.ovs

DeviceOnlyFiles* Files() {
  static DeviceOnlyFiles files(pf::Get().files);
  return &files;
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string root = std::filesystem::temp_directory_path().string() + "/orvinta-fuzz-load-XXXXXX";
  if (mkdtemp(root.data()) == nullptr) std::abort();
  setenv("ORVINTA_ROOT", root.c_str(), 1);
  unsetenv("ORVINTA_LOG");
  unsetenv("ORVINTA_JOURNAL");
  std::filesystem::create_directories(root + "/fuzz/sub");
  Write(root + "/fuzz/sub/a.ovs", "EVAL 0=%0a\r\nEVAL x=3\r\n");
  Write(root + "/fuzz/sub/w.ovs", std::string("\xFF\xFE" "E\0V\0A\0L\0 \0x\0=\0" "4\0", 18));
  g_input = root + "/fuzz/in.ovs";
  static QuietDevice quiet;
  pf::Get().device = &quiet;
  pf::Get().files = Files();
  // The root goes when the fuzzer ends; a crash keeps it for a look.
  std::atexit([] { std::filesystem::remove_all(std::filesystem::path(g_input).parent_path().parent_path()); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const uint32_t kCodePages[] = {65001, 1252, 936};
  orvinta::platform::host::SelectAnsiCodePage(kCodePages[data[0] % 3]);
  Write(g_input, std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  Files()->opened = 0;
  orvinta::engine::LoadOneFile(u"\\fuzz\\in.ovs");
  return 0;
}
