// What the file-command fuzz targets share: a private root for the host's virtual device, set
// before anything reads ORVINTA_ROOT and removed when the fuzzer ends, the sandbox's services
// (no host paths, no processes, no device services), and inputs read as text.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/host/code_page.h"
#include "platform/platform.h"
#include "sandbox.h"

namespace orvinta::fuzz {

// The private root; the first call makes it and puts the sandbox in place.
inline const std::filesystem::path& PrivateRoot(const char* name) {
  static const std::filesystem::path root = [name] {
    std::string folder = std::filesystem::temp_directory_path().string() + "/orvinta-fuzz-" + name + "-XXXXXX";
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    setenv("ORVINTA_ROOT", folder.c_str(), 1);
    unsetenv("ORVINTA_LOG");
    unsetenv("ORVINTA_JOURNAL");
    static QuietDevice device;
    static RefusingProcesses processes;  // in force from here on, as the files service below
    static DeviceOnlyFiles files;
    pf::Get().device = &device;
    std::atexit([] { std::filesystem::remove_all(std::getenv("ORVINTA_ROOT")); });
    return std::filesystem::path(folder);
  }();
  return root;
}

// Empties the root (which a deleting input may itself have removed) and gives it back.
inline const std::filesystem::path& FreshRoot(const char* name) {
  const std::filesystem::path& root = PrivateRoot(name);
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

// The input as UTF-16 code units (little-endian pairs) up to the first zero unit, at most `most`.
inline std::u16string Utf16Of(const uint8_t* data, size_t size, size_t most) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size && text.size() < most; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

}  // namespace orvinta::fuzz
