// TGZX passes over a name whose component Windows reads as "..": the host's own paths keep
// "..." as a name, so this watches the paths TGZX hands the file service, not what lands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/device_files.h"
#include "support/script.h"
#include "support/services.h"
#include "support/tar_archive.h"

namespace orvinta::test {
namespace {

class RecordingFiles final : public ForwardingFiles {
 public:
  pf::FileHandle CreateFileW(const char16_t* p, uint32_t a, uint32_t s, uint32_t d, uint32_t f) override {
    paths.push_back(p);
    return inner.CreateFileW(p, a, s, d, f);
  }
  bool CreateDirectoryW(const char16_t* p) override {
    paths.push_back(p);
    return inner.CreateDirectoryW(p);
  }
  std::vector<std::u16string> paths;
};

TEST(TgzxNames, ComponentsOfDotsAndBlanksNeverReachTheFileService) {
  DeviceFolder folder;
  folder.Write(u"a.tar", TarFile("ok/.../dots.txt", "d") + TarFile("ok/. ./blank.txt", "b") +
                             TarFile("ok/fine.txt", "f") + EndOfArchive());
  RecordingFiles files;
  EXPECT_EQ(RunText(u"TGZX " + folder.Device(u"a.tar") + u"," + folder.Device(u"t")).result, 0);
  EXPECT_EQ(folder.Read(u"t\\ok\\fine.txt"), "f");
  for (const std::u16string& path : files.paths) {
    EXPECT_EQ(path.find(u"\\..."), std::u16string::npos) << Shown(path);
    EXPECT_EQ(path.find(u"\\. ."), std::u16string::npos) << Shown(path);
  }
}

}  // namespace
}  // namespace orvinta::test
