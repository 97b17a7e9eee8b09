// The host's virtual device for tests: folders and files below its root, environment settings
// for one scope, the ANSI code page, and failures injected into its system calls.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/host/code_page.h"
#include "platform/host/device_paths.h"
#include "platform/host/system_calls.h"
#include "base/utf8.h"
#include "platform/platform.h"

namespace orvinta::test {

// A folder below the device's root for one test, removed afterwards: "\<name>", or a fresh
// "\t<n>" when no name is given.
class DeviceFolder {
 public:
  explicit DeviceFolder(std::u16string name = {}) : name_(name.empty() ? FreshName() : std::move(name)) {
    std::filesystem::remove_all(Host(u""));
    std::filesystem::create_directories(Host(u""));
  }
  ~DeviceFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Host(u""), ignored);
  }
  DeviceFolder(const DeviceFolder&) = delete;
  DeviceFolder& operator=(const DeviceFolder&) = delete;

  // The device path of `relative` ("a\b.ovs") inside the folder; the folder itself for "".
  std::u16string Device(std::u16string_view relative) const {
    return u"\\" + name_ + (relative.empty() ? u"" : u"\\" + std::u16string(relative));
  }
  // The host path of the same file.
  std::string Host(std::u16string_view relative) const {
    std::string path = platform::host::DeviceRoot() + "/" + base::Utf16ToUtf8(name_);
    std::string rest = base::Utf16ToUtf8(relative);
    for (char& c : rest) c = c == '\\' ? '/' : c;
    return rest.empty() ? path : path + "/" + rest;
  }
  // Writes the bytes as the file, making its folders.
  void Write(std::u16string_view relative, std::string_view bytes) const {
    std::filesystem::path file = Host(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read(std::u16string_view relative) const { return ReadHostFile(Host(relative)); }
  void MakeFolder(std::u16string_view relative) const { std::filesystem::create_directories(Host(relative)); }

  // The bytes of a host file; "" when there is no such file.
  static std::string ReadHostFile(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(path)) return "";
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static std::u16string FreshName() {
    static std::atomic<int> counter{0};
    return base::Utf8ToUtf16("t" + std::to_string(getpid()) + "-" + std::to_string(++counter));
  }
  std::u16string name_;
};

// UTF-16 LE bytes of a text.
inline std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

// Sets an environment variable until the end of the scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() { previous_ ? setenv(name_, previous_->c_str(), 1) : unsetenv(name_); }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

// Puts an ANSI code page in force for the scope, then UTF-8 (the tests' default) again.
class ScopedCodePage {
 public:
  explicit ScopedCodePage(uint32_t number) { EXPECT_TRUE(platform::host::SelectAnsiCodePage(number)) << number; }
  ~ScopedCodePage() { platform::host::SelectAnsiCodePage(65001); }
};

// Counts one system call of the host's file services or hive file for the scope and makes it
// fail with `error`: only its nth call from now (nth > 0), that call and every later one (nth < 0,
// "from the -nth on"), or never (nth 0). The other calls go to `real`, by default the entry in
// force before, which is put back afterwards. Example: SystemCallFault<&SystemCalls::open> f(3, ENOSPC);
template <auto Slot>
class SystemCallFault;
template <typename R, typename... A, R (*platform::host::SystemCalls::*Slot)(A...)>
class SystemCallFault<Slot> {
  using Pointer = R (*)(A...);

 public:
  SystemCallFault(int nth, int error, Pointer real = nullptr) : previous_(Entry()) {
    calls_ = 0;
    failAt_ = nth;
    error_ = error;
    real_ = real != nullptr ? real : previous_;
    Entry() = &Call;
  }
  ~SystemCallFault() { Entry() = previous_; }
  SystemCallFault(const SystemCallFault&) = delete;
  SystemCallFault& operator=(const SystemCallFault&) = delete;
  int Calls() const { return calls_; }  // how often the call was made meanwhile

 private:
  static Pointer& Entry() { return platform::host::Sys().*Slot; }
  static R Call(A... args) {
    if (++calls_ == failAt_ || (failAt_ < 0 && calls_ >= -failAt_)) {
      errno = error_;
      if constexpr (std::is_pointer_v<R>) {
        return nullptr;
      } else {
        return static_cast<R>(-1);
      }
    }
    return real_(args...);
  }
  static inline int calls_ = 0, failAt_ = 0, error_ = 0;
  static inline Pointer real_ = nullptr;
  Pointer previous_;
};

// A write that takes at most 4096 bytes at a time, as a pipe or a nearly full disk does.
inline ssize_t ShortWrite(int fd, const void* data, size_t count) {
  return platform::host::RealSystemCalls().write(fd, data, count < 4096 ? count : 4096);
}

}  // namespace orvinta::test
