// TGZX: header fields, names, the phases and the results, on archives made block by block.
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

namespace pf = platform;
using namespace test;  // the archive builders
using files::kTgzxDone;
using files::kTgzxReadFailed;

TEST(ParseOctalField, ReadsOctalDigitsSkipsBlanksAndStopsAtAZero) {
  struct Case {
    std::string field;
    uint32_t value;
  } cases[] = {
      {"00000001750", 01750},       {"   1750 \0xx", 01750}, {std::string("17\0" "9", 4), 017},
      {"77777777777", 0xFFFFFFFF},  {"40000000000", 0},     {"", 0},
      {"0000000017a", 0xFFFFFFFF},  {"\x80\0\0\0\0\0\0\0\0\0\1\0", 0xFFFFFFFF},  // base-256
      {"00000000008", 0xFFFFFFFF},  {"-1", 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    std::string field = c.field;
    field.resize(12, '\0');
    EXPECT_EQ(files::ParseOctalField(reinterpret_cast<const unsigned char*>(field.data()), 12), c.value)
        << testing::PrintToString(c.field);
  }
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
    if (entry.is_directory()) {
      done.files[name + "/"] = "";
    } else {
      done.files[name] = folder.Read(base::Utf8ToUtf16("out/" + name));
    }
  }
  return done;
}

struct ArchiveCase {
  const char* what;
  std::string archive;
  int32_t result;
  Files files;
};

void ExpectExtractions(const std::vector<ArchiveCase>& cases) {
  for (const ArchiveCase& c : cases) {
    SCOPED_TRACE(c.what);
    Extracted done = Extract(c.archive);
    EXPECT_EQ(done.result, c.result);
    EXPECT_EQ(done.files, c.files);
  }
}

const std::string kTail = TarFile("last", "L") + EndOfArchive();  // shows that the extraction went on

TEST(Tgzx, BadHeadersEndTheExtractionAndKeepWhatCameBefore) {
  const std::string first = TarFile("first", "1");
  const std::string longNameHeader = Header({.name = "././@LongLink", .type = 'L', .size = OctalSize(5)});
  ExpectExtractions({
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
  });
}

TEST(Tgzx, TruncatedOrSpoiltArchivesFailAndKeepWhatWasWhole) {
  const std::string data(1500, 'd');
  const std::string archive = TarFile("whole", "w") + TarFile("cut", data) + kTail;
  const Files kept = {{"whole", "w"}, {"cut", data.substr(0, 1024)}};
  ExpectExtractions({
      {"a plain archive cut inside a file's last block", archive.substr(0, 512 * 5 + 100), kTgzxReadFailed, kept},
      {"a plain archive cut inside a header", archive.substr(0, 512 * 2 + 300), kTgzxReadFailed, {{"whole", "w"}}},
      {"a gzip stream cut short", Gzip(archive.substr(0, 512 * 5)) + Gzip(archive.substr(512 * 5)).substr(0, 15),
       kTgzxReadFailed, kept},
      {"compressed data that fail inside a file",
       Gzip(archive.substr(0, 512 * 5)) + SpoiltGzip(archive.substr(512 * 5)), kTgzxReadFailed, kept},
      {"compressed data that fail on a long-name block",
       Gzip(TarFile("whole", "w") + LongName("n").substr(0, 512)) + SpoiltGzip(LongName("n").substr(512) + kTail),
       files::kTgzxLongNameFailed, {{"whole", "w"}}},
  });
}

TEST(Tgzx, FilesThatCannotBeMadeArePassedOverAndAFullDiskEndsTheExtraction) {
  DeviceFolder folder;
  folder.MakeFolder(u"out\\taken");
  folder.Write(u"out\\old", "previous content");
  folder.Write(u"a.tgz", Gzip(TarFile("taken", TarFile("injected", "!")) + TarFile("old", "new") +
                              TarFile("full", "f") + kTail));
  SystemCallFault<&pf::host::SystemCalls::write> full(2, ENOSPC);  // "full": "taken" writes nothing
  EXPECT_EQ(RunText(u"TGZX " + folder.Device(u"a.tgz") + u"," + folder.Device(u"out")).result, files::kTgzxWriteFailed);
  EXPECT_EQ(folder.Read(u"out\\old"), "new") << "an existing file is replaced";
  EXPECT_FALSE(std::filesystem::exists(folder.Host(u"out\\full")));
  EXPECT_FALSE(std::filesystem::exists(folder.Host(u"out\\last")));
  EXPECT_FALSE(std::filesystem::exists(folder.Host(u"out\\injected")));
}

}  // namespace
}  // namespace orvinta
