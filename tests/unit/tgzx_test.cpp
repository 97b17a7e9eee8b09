// TGZX on archives made block by block: header fields, spoilt headers and compressed data, and a
// disk that fills (the file that could not be written whole goes, the whole ones stay), and the
// paths of names Windows reads as "..". Archives cut inside a file are shown by the tgzx
// end-to-end cases.
#include "files/tgzx.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/device_files.h"
#include "support/script.h"
#include "support/tar_archive.h"

namespace orvinta {
namespace {

using namespace test;  // the archive builders
using files::kTgzxDone;
using files::kTgzxReadFailed;
using platform::host::SystemCalls;

template <typename Value, typename Parse>
void ExpectFields(Parse parse, std::initializer_list<std::pair<std::string, Value>> cases) {
  for (const auto& [text, value] : cases) {
    std::string field = text;
    field.resize(12, '\0');
    EXPECT_EQ(parse(reinterpret_cast<const unsigned char*>(field.data()), 12), value) << testing::PrintToString(text);
  }
}

TEST(TgzxFields, OctalHeaderFieldsSkipBlanksAndStopAtAZero) {
  ExpectFields<uint32_t>(files::ParseOctalField, {
      {"00000001750", 01750},       {"   1750 \0xx", 01750}, {std::string("17\0" "9", 4), 017},
      {"77777777777", 0xFFFFFFFF},  {"40000000000", 0},     {"", 0},
      {"0000000017a", 0xFFFFFFFF},  {"\x80\0\0\0\0\0\0\0\0\0\1\0", 0xFFFFFFFF},  // base-256
      {"00000000008", 0xFFFFFFFF},  {"-1", 0xFFFFFFFF},
  });
}

TEST(TgzxFields, SizesAreSixtyFourBitOctalOrBaseTwoFiftySix) {
  const uint64_t invalid = files::kInvalidSize64;
  ExpectFields<uint64_t>(files::ParseSizeField, {
      {"00000001750", 01750},
      {"40000004000", (uint64_t{1} << 32) + 2048},  // 4 GiB + 2 KiB: no longer taken modulo 2^32
      {"77777777777", (uint64_t{1} << 33) - 1},
      {" 1750 \0x", 01750},
      {"0000000017a", invalid},
      {std::string("\x80\0\0\0\0\0\0\2\0\0\x08\0", 12), (uint64_t{2} << 32) + 2048},  // 8 GiB + 2 KiB
      {std::string("\x80\0\0\0\x80\0\0\0\0\0\0\0", 12), invalid},  // beyond 63 bits
      {std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xfe", 12), invalid},  // negative
      {std::string("\x81\0\0\0\0\0\0\0\0\0\0\1", 12), invalid},
  });
}

using Files = std::map<std::string, std::string>;  // relative path (folders end in "/") -> bytes

struct Extracted {
  int32_t result;
  Files files;  // what "out" holds
};

// Writes the archive into a fresh test folder, extracts it into "out" there, and lists "out".
// Nothing may appear in the test folder beside the archive and "out".
Extracted Extract(const std::string& archive) {
  DeviceFolder folder;
  folder.Write(u"a.tgz", archive);
  Extracted done{RunText(u"TGZX " + folder.Device(u"a.tgz") + u"," + folder.Device(u"out")).result, {}};
  for (const auto& entry : std::filesystem::directory_iterator(folder.Host(u""))) {
    EXPECT_TRUE(entry.path().filename() == "a.tgz" || entry.path().filename() == "out") << entry.path();
  }
  const std::filesystem::path out = folder.Host(u"out");
  if (!std::filesystem::exists(out)) return done;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(out)) {
    const std::string name = entry.path().lexically_relative(out).string();
    done.files[name + (entry.is_directory() ? "/" : "")] = DeviceFolder::ReadHostFile(entry.path());
  }
  return done;
}

const std::string kTail = TarFile("last", "L") + EndOfArchive();  // shows that the extraction went on

TEST(Tgzx, BadHeadersOrCutOrSpoiltDataEndTheExtractionAndKeepWhatCameBefore) {
  const std::string first = TarFile("first", "1");
  const std::string longNameHeader = Header({.name = "././@LongLink", .type = 'L', .size = OctalSize(5)});
  const std::string data(1500, 'd');
  const std::string archive = TarFile("whole", "w") + TarFile("cut", data) + kTail;
  const Files kept = {{"whole", "w"}, {"cut", data.substr(0, 1024)}};
  struct Case {
    const char* what;
    std::string archive;
    int32_t result;
    Files files;
  } cases[] = {
      {"a base-256 size is read (0 here)", first + Header({.name = "big", .size = "\x80"}) + kTail, kTgzxDone,
       {{"first", "1"}, {"big", ""}, {"last", "L"}}},
      {"a size with garbage", first + Header({.name = "bad", .size = "00000000x12"}) + kTail, kTgzxDone,
       {{"first", "1"}}},
      {"a long-name record of a whole block, which leaves no room for its zero", first +
           Header({.name = "././@LongLink", .type = 'L', .size = OctalSize(512)}) + Padded("n") + kTail, kTgzxDone,
       {{"first", "1"}}},
      {"a long-name block that does not end in a zero", first + longNameHeader + std::string(512, 'n') + kTail,
       kTgzxDone, {{"first", "1"}}},
      {"a long name longer than its size", first + longNameHeader + Padded("toolong") + kTail, kTgzxDone,
       {{"first", "1"}}},
      {"a plain archive cut inside a header", archive.substr(0, 512 * 2 + 300), kTgzxReadFailed, {{"whole", "w"}}},
      {"a gzip stream cut short", Gzip(archive.substr(0, 512 * 5)) + Gzip(archive.substr(512 * 5)).substr(0, 15),
       kTgzxReadFailed, kept},
      {"compressed data that fail inside a file",
       Gzip(archive.substr(0, 512 * 5)) + SpoiltGzip(archive.substr(512 * 5)), kTgzxReadFailed, kept},
      {"compressed data that fail on a long-name block",
       Gzip(TarFile("whole", "w") + LongName("n").substr(0, 512)) + SpoiltGzip(LongName("n").substr(512) + kTail),
       files::kTgzxLongNameFailed, {{"whole", "w"}}},
  };
  for (const Case& c : cases) {
    Extracted done = Extract(c.archive);
    EXPECT_EQ(done.result, c.result) << c.what;
    EXPECT_EQ(done.files, c.files) << c.what;
  }
}

// The host keeps "..." as a name where Windows reads it as "..", so this watches the paths TGZX
// hands the file service, not only what lands.
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

TEST(Tgzx, ComponentsOfDotsAndBlanksNeverReachTheFileService) {
  RecordingFiles files;
  Extracted done = Extract(TarFile("ok/.../dots.txt", "d") + TarFile("ok/. ./blank.txt", "b") +
                           TarFile("ok/fine.txt", "f") + EndOfArchive());
  EXPECT_EQ(done.files, (Files{{"ok/", ""}, {"ok/fine.txt", "f"}}));
  for (const std::u16string& path : files.paths) {
    EXPECT_EQ(path.find(u"\\..."), std::u16string::npos) << Shown(path);
    EXPECT_EQ(path.find(u"\\. ."), std::u16string::npos) << Shown(path);
  }
}

// A file that can't be made (a folder holds its name) is passed over, its data unread as headers.
TEST(Tgzx, AFullDiskEndsTheExtractionAndRemovesTheFileThatDidNotFit) {
  const std::string big(1 << 20, 'b');
  const std::string archive = TarFile("taken", TarFile("injected", "!")) + TarFile("old", "new") +
                              TarFile("big.bin", big) + TarFile("next.bin", big) + EndOfArchive();
  struct Case {
    const char* what;
    int writeFails, openFails;  // the nth call from now on fails with ENOSPC (0: never)
  } cases[] = {
      {"the disk fills in the middle of the big file", -6, 0},
      {"the disk fills at the big file's first block", -2, 0},
      {"the big file can't even be made", 0, 6},  // big.bin's open: the sixth, folders read included
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DeviceFolder folder;
    folder.MakeFolder(u"out\\taken");
    folder.Write(u"out\\old", "previous content");
    folder.Write(u"a.tar", archive);
    int32_t result = 0;
    {
      SystemCallFault<&SystemCalls::write> writes(c.writeFails, ENOSPC);
      SystemCallFault<&SystemCalls::open> opens(c.openFails, ENOSPC);
      result = RunText(u"TGZX " + folder.Device(u"a.tar") + u"," + folder.Device(u"out")).result;
    }
    EXPECT_EQ(result, files::kTgzxWriteFailed);
    EXPECT_EQ(folder.Read(u"out\\old"), "new") << "an existing file is replaced";
    for (const char16_t* gone : {u"out\\big.bin", u"out\\next.bin", u"out\\injected"}) {
      EXPECT_FALSE(std::filesystem::exists(folder.Host(gone))) << Shown(gone);
    }
  }
}

}  // namespace
}  // namespace orvinta
