// TGZX and what must not be lost quietly: sizes of 4 GiB and more, and a disk that fills (the file
// that could not be written whole goes, the extraction ends with -3, the whole ones stay).
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

TEST(ParseSizeField, ReadsSixtyFourBitOctalAndBaseTwoFiftySix) {
  const uint64_t invalid = files::kInvalidSize64;
  struct Case {
    std::string field;
    uint64_t value;
  } cases[] = {
      {"00000001750", 01750},
      {"40000004000", (uint64_t{1} << 32) + 2048},  // 4 GiB + 2 KiB: no longer taken modulo 2^32
      {"77777777777", (uint64_t{1} << 33) - 1},
      {" 1750 \0x", 01750},
      {"0000000017a", invalid},
      {std::string("\x80\0\0\0\0\0\0\2\0\0\x08\0", 12), (uint64_t{2} << 32) + 2048},  // 8 GiB + 2 KiB
      {std::string("\x80\0\0\0\x80\0\0\0\0\0\0\0", 12), invalid},  // beyond 63 bits
      {std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xfe", 12), invalid},  // negative
      {std::string("\x81\0\0\0\0\0\0\0\0\0\0\1", 12), invalid},
  };
  for (const Case& c : cases) {
    std::string field = c.field;
    field.resize(12, '\0');
    EXPECT_EQ(files::ParseSizeField(reinterpret_cast<const unsigned char*>(field.data()), 12), c.value)
        << testing::PrintToString(c.field);
  }
}

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
