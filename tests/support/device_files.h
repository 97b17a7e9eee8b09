// Files on the host's virtual device for tests, and failures injected into its system calls.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/host/device_paths.h"
#include "platform/host/system_calls.h"
#include "platform/host/unicode.h"

namespace orvinta::test {

// A fresh folder below the device's root for one test ("\t<n>"), removed afterwards.
class DeviceFolder {
 public:
  DeviceFolder() {
    static std::atomic<int> counter{0};
    name_ = u"t" + platform::host::Utf8ToUtf16(std::to_string(::getpid()) + "-" + std::to_string(++counter));
    std::filesystem::create_directories(Host(u""));
  }
  ~DeviceFolder() {
    std::error_code ignored;
    std::filesystem::permissions(Host(u""), std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(Host(u""), ignored);
  }
  DeviceFolder(const DeviceFolder&) = delete;
  DeviceFolder& operator=(const DeviceFolder&) = delete;

  // The device path of `relative` ("a\b.ovs") inside the folder; the folder itself for "".
  std::u16string Device(std::u16string_view relative) const {
    std::u16string path = u"\\" + name_;
    if (!relative.empty()) path += u"\\" + std::u16string(relative);
    return path;
  }
  // The host path of the same file.
  std::string Host(std::u16string_view relative) const {
    std::string path = platform::host::DeviceRoot() + "/" + platform::host::Utf16ToUtf8(name_);
    std::string rest = platform::host::Utf16ToUtf8(relative);
    for (char& c : rest) {
      if (c == '\\') c = '/';
    }
    return rest.empty() ? path : path + "/" + rest;
  }
  // Writes the bytes as the file, making its folders.
  void Write(std::u16string_view relative, std::string_view bytes) const {
    std::filesystem::path file = Host(relative);
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  std::string Read(std::u16string_view relative) const {
    std::ifstream in(Host(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void MakeFolder(std::u16string_view relative) const { std::filesystem::create_directories(Host(relative)); }

 private:
  std::u16string name_;
};

// UTF-16 LE bytes of a text.
inline std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

namespace detail {
template <typename T>
struct CallTraits;
template <typename R, typename... A>
struct CallTraits<R (*)(A...)> {
  using Result = R;
  template <auto Slot>
  struct Wrapper {
    static inline int calls = 0, failAt = 0, error = 0;
    static inline R (*real)(A...) = nullptr;
    static R Call(A... args) {
      if (++calls == failAt || (failAt < 0 && calls >= -failAt)) {
        errno = error;
        if constexpr (std::is_pointer_v<R>) {
          return nullptr;
        } else {
          return static_cast<R>(-1);
        }
      }
      return real(args...);
    }
  };
};
}  // namespace detail

// Replaces one system call of the host's file services for the scope, then puts back the entry
// that was there.
template <auto Slot>
class SystemCallReplacement {
 public:
  using Pointer = std::remove_reference_t<decltype(std::declval<platform::host::SystemCalls&>().*Slot)>;
  explicit SystemCallReplacement(Pointer replacement) : previous_(platform::host::Sys().*Slot) {
    platform::host::Sys().*Slot = replacement;
  }
  ~SystemCallReplacement() { platform::host::Sys().*Slot = previous_; }
  SystemCallReplacement(const SystemCallReplacement&) = delete;
  SystemCallReplacement& operator=(const SystemCallReplacement&) = delete;

 private:
  Pointer previous_;
};

// Makes one system call of the host's file services fail with `error`: only its nth call from
// now (nth > 0), or that call and every later one (nth < 0, "from the -nth on"). The other
// calls go to the entry in force before. Example: SystemCallFault<&SystemCalls::open> f(3, ENOSPC);
template <auto Slot>
class SystemCallFault {
  using Pointer = typename SystemCallReplacement<Slot>::Pointer;
  using Wrapper = typename detail::CallTraits<Pointer>::template Wrapper<Slot>;

 public:
  SystemCallFault(int nth, int error) : replacement_(Install(nth, error)) {}
  SystemCallFault(const SystemCallFault&) = delete;
  SystemCallFault& operator=(const SystemCallFault&) = delete;

  // How often the call was made while the fault was in place.
  int Calls() const { return Wrapper::calls; }

 private:
  static Pointer Install(int nth, int error) {
    Wrapper::calls = 0;
    Wrapper::failAt = nth;
    Wrapper::error = error;
    Wrapper::real = platform::host::Sys().*Slot;
    return &Wrapper::Call;
  }
  SystemCallReplacement<Slot> replacement_;
};

// A write that takes at most 4096 bytes at a time, as a pipe or a nearly full disk does.
inline ssize_t ShortWrite(int fd, const void* data, size_t count) {
  return platform::host::RealSystemCalls().write(fd, data, count < 4096 ? count : 4096);
}

}  // namespace orvinta::test
