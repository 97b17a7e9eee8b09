// TGZX when the disk fills: the file that could not be written whole goes, the extraction ends
// with -3, and the files written whole before it stay.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "files/tgzx.h"
#include "support/device_files.h"
#include "support/script.h"
#include "support/tar_archive.h"

namespace orvinta {
namespace {

using namespace test;
using platform::host::SystemCalls;

TEST(TgzxFullDisk, TheFileThatDidNotFitGoesAndTheWholeOnesStay) {
  const std::string big(1 << 20, 'b');
  const std::string archive = TarFile("small.txt", "small") + TarFile("big.bin", big) + TarFile("next.bin", big) +
                              EndOfArchive();
  struct Case {
    const char* what;
    int writeFails, openFails;  // the nth call from now on fails with ENOSPC (0: never)
  } cases[] = {
      {"the disk fills in the middle of the big file", -6, 0},
      {"the disk fills at the big file's first block", -2, 0},
      {"the big file can't even be made", 0, 3},  // the archive, small.txt, then big.bin
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceFolder folder;
    folder.Write(u"a.tar", archive);
    int32_t result = 0;
    {
      SystemCallFault<&SystemCalls::write> writes(c.writeFails, ENOSPC);
      SystemCallFault<&SystemCalls::open> opens(c.openFails, ENOSPC);
      result = RunText(u"TGZX " + folder.Device(u"a.tar") + u"," + folder.Device(u"out")).result;
    }
    EXPECT_EQ(result, files::kTgzxWriteFailed);
    EXPECT_EQ(folder.Read(u"out/small.txt"), "small");
    EXPECT_FALSE(std::filesystem::exists(folder.Host(u"out/big.bin")));
    EXPECT_FALSE(std::filesystem::exists(folder.Host(u"out/next.bin")));
  }
}

}  // namespace
}  // namespace orvinta
