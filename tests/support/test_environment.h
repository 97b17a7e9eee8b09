// The host program's settings for the unit tests: a private virtual device root, set before
// the host first reads ORVINTA_ROOT, and environment variables scoped to one test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/host/device_paths.h"

namespace orvinta::test {

// The folder that stands for "\" in every unit test: the private one that the tests' main()
// sets before anything reads ORVINTA_ROOT, removed when the test program ends.
inline std::filesystem::path TestDeviceRoot() { return platform::host::DeviceRoot(); }

// A fresh folder below the root for one test's files.
inline std::filesystem::path FreshDeviceFolder(const std::string& name) {
  std::filesystem::path folder = TestDeviceRoot() / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder;
}

// Sets (or, with nullopt, removes) an environment variable until the end of the scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedVariable() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

}  // namespace orvinta::test
