// The file primitives' whole-file reads and writes. Folder chains and the handles of failed
// opens are shown by the files, tgzx and load end-to-end cases.
#include "platform/file_primitives.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/device_files.h"

namespace orvinta {
namespace {

namespace pf = platform;
using pf::kWholeFile;
using pf::host::SystemCalls;
using test::DeviceFolder;
using test::SystemCallFault;

struct Read {
  bool ok;
  std::string data;
  uint32_t length;
  bool terminated;  // two zero bytes after the data
};

Read ReadAll(const std::u16string& path, uint32_t limit = kWholeFile) {
  uint32_t length = limit;
  auto* bytes = static_cast<unsigned char*>(pf::ReadWholeFile(path.c_str(), nullptr, &length));
  if (bytes == nullptr) return {false, "", length, false};
  Read read{true, std::string(reinterpret_cast<char*>(bytes), length), length,
            bytes[length] == 0 && bytes[length + 1] == 0};
  std::free(bytes);
  return read;
}

TEST(ReadWholeFile, ReadsUpToTheLimitAndEndsTheDataWithTwoZeros) {
  DeviceFolder folder;
  folder.Write(u"empty", "");
  folder.Write(u"ten", "0123456789");
  struct Case {
    const char16_t* name;
    uint32_t limit;
    std::string data;
  } cases[] = {
      {u"empty", kWholeFile, ""}, {u"ten", 4, "0123"}, {u"ten", 0, ""}, {u"TEN", 10, "0123456789"},
      {u"ten", 11, "0123456789"},
  };
  for (const Case& c : cases) {
    Read read = ReadAll(folder.Device(c.name), c.limit);
    EXPECT_TRUE(read.ok && read.terminated) << c.limit;
    EXPECT_EQ(read.data, c.data);
    EXPECT_EQ(read.length, c.data.size());
  }
  EXPECT_TRUE(pf::Get().files->DeleteFileW(folder.Device(u"ten").c_str())) << "every read closed the file";
}

TEST(ReadWholeFile, FillsACallersBufferWithoutTouchingWhatLiesBeyond) {
  DeviceFolder folder;
  folder.Write(u"f", "abc");
  unsigned char buffer[16];
  std::memset(buffer, 0xCC, sizeof buffer);
  uint32_t length = kWholeFile;
  EXPECT_EQ(pf::ReadWholeFile(folder.Device(u"f").c_str(), buffer, &length), buffer);
  EXPECT_EQ(length, 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 5), std::string("abc\0\0", 5));
  for (size_t i = 5; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], 0xCC) << "byte " << i << " was written";
}

TEST(ReadWholeFile, FailuresOfTheSystemGiveNoneOrWhatWasRead) {
  DeviceFolder folder;
  folder.Write(u"f", "content");
  std::u16string path = folder.Device(u"f");
  EXPECT_FALSE(ReadAll(folder.Device(u"missing")).ok);
  {
    SystemCallFault<&SystemCalls::open> denied(1, EACCES);
    EXPECT_FALSE(ReadAll(path).ok) << "a file that can't be opened";
  }
  {
    SystemCallFault<&SystemCalls::read> failing(1, EIO);
    Read read = ReadAll(path);
    EXPECT_TRUE(read.ok) << "a failed read is not reported";
    EXPECT_EQ(read.length, 0u);
    EXPECT_TRUE(read.terminated);
  }
  {
    SystemCallFault<&SystemCalls::fstat> sizeQuery(2, EIO);  // the open's own check is the first
    Read read = ReadAll(path);
    EXPECT_TRUE(read.ok);
    EXPECT_EQ(read.length, 0u) << "a failed size query counts as an empty file";
  }
  {
    SystemCallFault<&SystemCalls::close> closing(1, EIO);
    EXPECT_EQ(ReadAll(path).data, "content") << "the data stands even when closing fails";
  }
}

TEST(WriteWholeFile, AFullDiskGivesTheShortCount) {
  DeviceFolder folder;
  std::string big(300000, 'x');
  SystemCallFault<&SystemCalls::write> full(-2, ENOSPC, test::ShortWrite);  // the second write and all after it
  auto size = static_cast<uint32_t>(big.size());
  uint32_t written = pf::WriteWholeFile(folder.Device(u"big").c_str(), big.data(), size, false);
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, big.size());
  EXPECT_EQ(folder.Read(u"big").size(), written);
}

}  // namespace
}  // namespace orvinta
