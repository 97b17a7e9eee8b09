// The host program's settings for the unit tests: a private virtual device root, set before
// the host first reads ORVINTA_ROOT, and environment variables scoped to one test.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "platform/host/device_paths.h"

namespace orvinta::testing {

// The folder that stands for "\" in every unit test: created once below the temporary folder,
// removed when the test program ends.
inline const std::filesystem::path& TestDeviceRoot() {
  struct RemovedAtExit {
    std::filesystem::path folder;
    ~RemovedAtExit() {
      std::error_code ignored;
      std::filesystem::remove_all(folder, ignored);
    }
  };
  static const RemovedAtExit made = [] {
    std::random_device random;
    auto folder = std::filesystem::temp_directory_path() / ("orvinta-unit-" + std::to_string(random()));
    std::filesystem::create_directories(folder);
    setenv("ORVINTA_ROOT", folder.c_str(), 1);
    return RemovedAtExit{folder};
  }();
  const std::filesystem::path& root = made.folder;
  // The host reads ORVINTA_ROOT once; a test that ran the program before would have fixed it.
  EXPECT_EQ(platform::host::DeviceRoot(), root.string());
  return root;
}

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

}  // namespace orvinta::testing
