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

TEST(Tgzx, ExtractsEntriesByTheirHeaders) {
  const std::string k512(512, 'k'), long150(150, 'n');
  ExpectExtractions({
      {"a file and its folders, compressed", Gzip(TarFile("a/b.txt", "hi") + EndOfArchive()), kTgzxDone,
       {{"a/", ""}, {"a/b.txt", "hi"}}},
      {"the same, not compressed", TarFile("a/b.txt", "hi") + EndOfArchive(), kTgzxDone, {{"a/", ""}, {"a/b.txt", "hi"}}},
      {"a file of exactly one block, then a folder and an empty file",
       TarFile("k", k512) + TarFolder("d/") + TarFile("d/e", "") + kTail, kTgzxDone,
       {{"k", k512}, {"d/", ""}, {"d/e", ""}, {"last", "L"}}},
      {"a long name from a long-name record", LongName("x/" + long150) + TarFile("short", "l") + kTail, kTgzxDone,
       {{"x/", ""}, {"x/" + long150, "l"}, {"last", "L"}}},
      {"a size field with blanks, ended by a zero", Header({.name = "s", .size = std::string(" 3 \0" "99", 6)}) +
           Padded("abc") + kTail, kTgzxDone, {{"s", "abc"}, {"last", "L"}}},
      {"a name field of 100 bytes without a zero", Header({.name = std::string(100, 'f'), .size = OctalSize(1)}) +
           Padded("f") + kTail, kTgzxDone, {{std::string(100, 'f'), "f"}, {"last", "L"}}},
      {"an empty archive", EndOfArchive(), kTgzxDone, {}},
  });
}

TEST(Tgzx, ArchivesOfOtherProducers) {
  // Extended headers whose data would pass for a header of a file "30 path=..." if read as one.
  const std::string record = "30 path=" + std::string(21, 'p') + "\n";
  const std::string looksLikeHeader = TarFile(record, "");
  const std::string longPath = std::string(80, 'p') + "/" + std::string(60, 'q');
  ExpectExtractions({
      {"pax extended headers are passed over by their size",
       Header({.name = "g", .type = 'g', .size = OctalSize(512)}) + looksLikeHeader +
           Header({.name = "x", .type = 'x', .size = OctalSize(30)}) + Padded(record) + kTail,
       kTgzxDone, {{"last", "L"}}},
      {"a ustar name split into prefix and name is joined with '/'",
       Header({.name = std::string(60, 'q'), .size = OctalSize(1), .magic = kUstarMagic,
               .prefix = std::string(80, 'p')}) + Padded("u") + kTail,
       kTgzxDone, {{std::string(80, 'p') + "/", ""}, {longPath, "u"}, {"last", "L"}}},
      {"a GNU header's bytes at the prefix's offset are no prefix",
       Header({.name = "n", .size = OctalSize(1), .prefix = "notaprefix"}) + Padded("g") + kTail, kTgzxDone,
       {{"n", "g"}, {"last", "L"}}},
      {"other types are not skipped: their data are read as headers",
       Header({.name = "v", .type = 'V', .size = OctalSize(512)}) + TarFile("inside", "i") + kTail, kTgzxDone,
       {{"inside", "i"}, {"last", "L"}}},
  });
}

TEST(Tgzx, EntriesThatWouldLandOutsideTheTargetOrDoNotFitArePassedOver) {
  // Each passed-over entry carries data that would read as a header if it were not dropped.
  auto skipped = [](std::string name) { return TarFile(name, TarFile("injected", "!")); };
  const std::string tooLong(300, 'z');
  ExpectExtractions({
      {"'..' components", skipped("../up") + skipped("a/../../up") + skipped("a\\..\\up") + kTail, kTgzxDone,
       {{"last", "L"}}},
      {"components of dots and blanks", skipped(". ./up") + skipped("a/... /up") + kTail, kTgzxDone, {{"last", "L"}}},
      {"a leading separator", skipped("/abs") + skipped("\\abs") + TarFolder("/f/") + kTail, kTgzxDone,
       {{"last", "L"}}},
      {"names that only look like climbing stay (a last name losing its dots)",
       TarFile("..a", "1") + TarFile("a..", "2") + kTail, kTgzxDone, {{"..a", "1"}, {"a", "2"}, {"last", "L"}}},
      {"a name of more than 259 units", LongName(tooLong) + TarFile("x", TarFile("injected", "!")) + kTail,
       kTgzxDone, {{"last", "L"}}},
      {"a path of more than 259 units with the target", LongName(std::string(250, 'w')) +
           TarFile("x", TarFile("injected", "!")) + kTail, kTgzxDone, {{"last", "L"}}},
  });
}

TEST(Tgzx, BadHeadersEndTheExtractionAndKeepWhatCameBefore) {
  const std::string first = TarFile("first", "1");
  const std::string longNameHeader = Header({.name = "././@LongLink", .type = 'L', .size = OctalSize(5)});
  ExpectExtractions({
      {"a base-256 size", first + Header({.name = "big", .size = "\x80\0\0\0\0\0\0\0\0\0\x10\0"}) + kTail, kTgzxDone,
       {{"first", "1"}}},
      {"a size with garbage", first + Header({.name = "bad", .size = "00000000x12"}) + kTail, kTgzxDone,
       {{"first", "1"}}},
      {"a long-name record longer than its block", first +
           Header({.name = "././@LongLink", .type = 'L', .size = OctalSize(512)}) + Padded(std::string(511, 'n')) +
           kTail, kTgzxDone, {{"first", "1"}}},
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

TEST(Tgzx, AnArchiveThatCannotBeOpenedIsMinusOne) {
  DeviceFolder folder;
  EXPECT_EQ(RunText(u"TGZX " + folder.Device(u"missing.tgz")).result, files::kTgzxCannotOpen);
  EXPECT_EQ(RunText(u"TGZX " + folder.Device(std::u16string(300, u'a'))).result, files::kTgzxCannotOpen);
}

TEST(Tgzx, FilesThatCannotBeMadeOrWrittenAreDroppedAndTheExtractionGoesOn) {
  DeviceFolder folder;
  folder.MakeFolder(u"out\\taken");
  folder.Write(u"out\\old", "previous content");
  folder.Write(u"a.tgz", Gzip(TarFile("taken", TarFile("injected", "!")) + TarFile("old", "new") +
                              TarFile("full", "f") + kTail));
  SystemCallFault<&pf::host::SystemCalls::write> full(2, ENOSPC);  // "full": "taken" writes nothing
  EXPECT_EQ(RunText(u"TGZX " + folder.Device(u"a.tgz") + u"," + folder.Device(u"out")).result, kTgzxDone);
  EXPECT_EQ(folder.Read(u"out\\old"), "new") << "an existing file is replaced";
  EXPECT_EQ(folder.Read(u"out\\full"), "");
  EXPECT_EQ(folder.Read(u"out\\last"), "L");
  EXPECT_FALSE(std::filesystem::exists(folder.Host(u"out\\injected")));
}

}  // namespace
}  // namespace orvinta
