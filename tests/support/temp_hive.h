// A registry of its own for a test: a hive file in a fresh temporary folder, installed as the
// registry service for the life of the object, so no test touches a hive outside /tmp.
#pragma once
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/host/hive_registry.h"
#include "platform/platform.h"

namespace orvinta::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class TempHive {
 public:
  explicit TempHive(std::chrono::milliseconds lockWait = std::chrono::milliseconds(2000));
  ~TempHive();

  platform::Registry& Registry() { return *registry_; }
  std::string HivePath() const { return (folder_.Path() / "registry.hive").string(); }
  std::string ReadHiveText() const;
  void WriteHiveText(const std::string& text) const;
  // Drops the registry and starts a new one on the same file, as a new process would.
  void Reopen();

 private:
  TempFolder folder_;
  std::chrono::milliseconds lockWait_;
  std::unique_ptr<platform::Registry> registry_;
  std::unique_ptr<platform::ServiceOverride<platform::Registry>> override_;
};

}  // namespace orvinta::test
