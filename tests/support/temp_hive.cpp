#include "support/temp_hive.h"

#include <stdlib.h>

#include <fstream>
#include <sstream>

namespace orvinta::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvinta-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data());
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

TempHive::TempHive(std::chrono::milliseconds lockWait) : lockWait_(lockWait) { Reopen(); }

TempHive::~TempHive() {
  override_.reset();
  registry_.reset();
}

void TempHive::Reopen() {
  override_.reset();
  registry_ = platform::host::MakeHiveRegistry(HivePath(), lockWait_);
  override_ = std::make_unique<platform::ServiceOverride<platform::Registry>>(&platform::Services::registry,
                                                                              registry_.get());
}

std::string TempHive::ReadHiveText() const {
  std::ifstream in(HivePath(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void TempHive::WriteHiveText(const std::string& text) const {
  std::ofstream(HivePath(), std::ios::binary) << text;
}

}  // namespace orvinta::test
