// The unit tests' entry. The host reads ORVINTA_ROOT, ORVINTA_LOG and ORVINTA_REGISTRY once, on
// first use, so this process gets a private device root, log file and registry hive before any
// test can touch them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/rooms.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = std::string(tmp != nullptr && *tmp != 0 ? tmp : "/tmp") + "/orvinta-unit-XXXXXX";
  if (mkdtemp(folder.data()) == nullptr) return 2;
  setenv("ORVINTA_ROOT", (folder + "/root").c_str(), 1);
  setenv("ORVINTA_LOG", (folder + "/log.txt").c_str(), 1);
  setenv("ORVINTA_REGISTRY", (folder + "/registry.hive").c_str(), 1);
  unsetenv("ORVINTA_JOURNAL");
  // A test that reaches OVUI gets the session without a terminal, which reads its commands from
  // this input: none. A test never waits on a person.
  if (std::freopen("/dev/null", "r", stdin) == nullptr) return 2;
  orvinta::app::WireRooms();
  orvinta::platform::Get();  // the services open their files now, before any test counts calls
  testing::InitGoogleTest(&argc, argv);
  int status = RUN_ALL_TESTS();
  std::filesystem::remove_all(folder);
  return status;
}
