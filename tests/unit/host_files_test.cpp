// The host's file services answer as Windows does: codes, dispositions, wildcards, sharing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/host/name_match.h"
#include "support/device_files.h"
#include "support/script.h"

namespace orvinta {
namespace {

namespace pf = platform;
using pf::host::SystemCalls;
using test::DeviceFolder;
using test::SystemCallFault;

pf::Files& Fs() { return *pf::Get().files; }

TEST(HostWildcards, MatchAsWindowsDoesWithoutRegardToCase) {
  struct Case {
    std::u16string_view pattern, name;
    bool matches;
  } cases[] = {
      {u"*.*", u"readme", true},      {u"*.ovs", u"Setup.OVS", true}, {u"*.ovs", u"a.ovs.bak", false},
      {u"*.ovs", u"x.b.ovs", true},   {u"a.*", u"a", true},           {u"a??", u"a", true},
      {u"a?c", u"ac", false},         {u"s*p", u"setups", false},
      {u"\u00C9t\u00E9", u"\u00E9T\u00C9", true},                     {u"a*b*c", u"aXXcYYb", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pf::host::NameMatches(c.pattern, c.name), c.matches) << test::Shown(c.pattern) << test::Shown(c.name);
  }
}

TEST(HostFiles, CreateFileDispositionsGiveWindowsResultsAndCodes) {
  DeviceFolder folder;
  folder.Write(u"old.txt", "abc");
  folder.MakeFolder(u"dir");
  struct Case {
    const char16_t* name;
    uint32_t access, disposition;
    bool opens;
    uint32_t lastError;
    const char* contentAfter;  // "" also for no file
  } cases[] = {
      {u"old.txt", pf::kGenericRead, pf::kOpenExisting, true, 0, "abc"},
      {u"new1.txt", pf::kGenericRead, pf::kOpenExisting, false, win::kErrorFileNotFound, ""},
      {u"missing\\x.txt", pf::kGenericRead, pf::kOpenExisting, false, win::kErrorPathNotFound, ""},
      {u"old.txt", pf::kGenericWrite, pf::kCreateNew, false, win::kErrorFileExists, "abc"},
      {u"new2.txt", pf::kGenericWrite, pf::kCreateNew, true, 0, ""},
      {u"old.txt", pf::kGenericWrite, pf::kCreateAlways, true, win::kErrorAlreadyExists, ""},
      {u"new4.txt", pf::kGenericRead | pf::kGenericWrite, pf::kOpenAlways, true, 0, ""},
      {u"new4.txt", pf::kGenericRead | pf::kGenericWrite, pf::kOpenAlways, true, win::kErrorAlreadyExists, ""},
      {u"dir", pf::kGenericRead, pf::kOpenExisting, false, win::kErrorAccessDenied, ""},
      {u"dir", pf::kGenericWrite, pf::kCreateAlways, false, win::kErrorAccessDenied, ""},
      {u"new5.txt", pf::kGenericRead, pf::kTruncateExisting, false, win::kErrorInvalidParameter, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::Shown(c.name) + " disposition " + std::to_string(c.disposition));
    Fs().SetLastError(12345);
    pf::FileHandle file = Fs().CreateFileW(folder.Device(c.name).c_str(), c.access, 0, c.disposition, 0);
    EXPECT_EQ(file != pf::kInvalidHandleValue, c.opens);
    EXPECT_EQ(Fs().GetLastError(), c.lastError);
    EXPECT_TRUE(file == pf::kInvalidHandleValue || Fs().CloseHandle(file));
    EXPECT_EQ(folder.Read(c.name), c.contentAfter);
  }
}

// The host keeps folder listings to look new names up; what others change must still show.
TEST(HostFiles, NamesMadeOrRemovedAfterAFolderWasReadAreFoundWithoutRegardToCase) {
  DeviceFolder folder;
  folder.MakeFolder(u"f");
  auto create = [&](std::u16string_view name) {
    pf::FileHandle file = Fs().CreateFileW(folder.Device(name).c_str(), pf::kGenericWrite, 0, pf::kCreateAlways, 0);
    EXPECT_NE(file, pf::kInvalidHandleValue);
    Fs().CloseHandle(file);
  };
  create(u"f\\first");  // the folder is read
  create(u"f\\Made");
  create(u"f\\MADE");
  EXPECT_EQ(Fs().GetLastError(), win::kErrorAlreadyExists) << "the program's own new name is known";
  folder.Write(u"f\\Other", "by another program");
  std::filesystem::last_write_time(folder.Host(u"f"), std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
  create(u"f\\OTHER");
  EXPECT_EQ(Fs().GetLastError(), win::kErrorAlreadyExists) << "a name another program made";
  EXPECT_TRUE(Fs().DeleteFileW(folder.Device(u"f\\made").c_str()));
  create(u"f\\made");
  EXPECT_EQ(Fs().GetLastError(), win::kErrorSuccess) << "a removed name is gone";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Host(u"f")), {}), 3);
}

// A listing is trusted while the folder's times stand, but for a second at most: a name made by
// another program within the same clock tick of the folder's times must show after that.
struct timespec frozenNow{1000, 0};
int FrozenClock(clockid_t, struct timespec* now) { return *now = frozenNow, 0; }
struct stat kept;  // the folder's state as it was when its listing was read
int StatKeepingTimes(const char* path, struct stat* info) {
  int result = pf::host::RealSystemCalls().stat(path, info);
  if (result == 0 && info->st_ino == kept.st_ino) info->st_mtim = kept.st_mtim, info->st_ctim = kept.st_ctim;
  return result;
}

TEST(HostFiles, AFolderListingIsReadAgainAfterASecond) {
  DeviceFolder folder;
  folder.MakeFolder(u"g");
  ASSERT_EQ(stat(folder.Host(u"g").c_str(), &kept), 0);
  SystemCallFault<&SystemCalls::clock_gettime> clock(0, 0, FrozenClock);
  SystemCallFault<&SystemCalls::stat> times(0, 0, StatKeepingTimes);
  const std::u16string other = folder.Device(u"g\\OTHER");
  EXPECT_EQ(Fs().GetFileAttributesW(other.c_str()), pf::kInvalidFileAttributes);  // g is read
  folder.Write(u"g\\Other", "by another program");
  EXPECT_EQ(Fs().GetFileAttributesW(other.c_str()), pf::kInvalidFileAttributes) << "within its second";
  frozenNow.tv_sec += 1;
  EXPECT_EQ(Fs().GetFileAttributesW(other.c_str()), pf::kFileAttributeArchive) << "a second later";
}

// Overwriting moves and copies are shown by the files end-to-end cases.
TEST(HostFiles, ShareModesHoldAmongTheProcessHandles) {
  DeviceFolder folder;
  folder.Write(u"f.txt", "data");
  std::u16string path = folder.Device(u"f.txt");
  pf::FileHandle reader = Fs().CreateFileW(path.c_str(), pf::kGenericRead, pf::kFileShareRead, pf::kOpenExisting, 0);
  ASSERT_NE(reader, pf::kInvalidHandleValue);
  pf::FileHandle second = Fs().CreateFileW(path.c_str(), pf::kGenericRead, pf::kFileShareRead, pf::kOpenExisting, 0);
  EXPECT_NE(second, pf::kInvalidHandleValue) << "readers that let others read share the file";
  EXPECT_EQ(Fs().CreateFileW(path.c_str(), pf::kGenericWrite, pf::kFileShareRead, pf::kCreateAlways, 0),
            pf::kInvalidHandleValue);
  EXPECT_EQ(Fs().GetLastError(), win::kErrorSharingViolation);
  EXPECT_EQ(folder.Read(u"f.txt"), "data") << "a refused open truncates nothing";
  EXPECT_FALSE(Fs().DeleteFileW(path.c_str()));
  EXPECT_EQ(Fs().GetLastError(), win::kErrorSharingViolation);
  Fs().CloseHandle(second);
  Fs().CloseHandle(reader);
  EXPECT_FALSE(Fs().CopyFileW(path.c_str(), folder.Device(u"F.TXT").c_str(), false)) << "a copy onto itself";
  EXPECT_EQ(Fs().GetLastError(), win::kErrorSharingViolation);
  EXPECT_TRUE(Fs().DeleteFileW(path.c_str()));
}

// Path calls as one shape for a table: true on success.
bool Attributes(const char16_t* p) { return Fs().GetFileAttributesW(p) != pf::kInvalidFileAttributes; }
bool Search(const char16_t* p) {
  pf::FindData found;
  pf::SearchHandle search = Fs().FindFirstFileW(p, &found);
  return search != pf::kInvalidHandleValue && Fs().FindClose(search);
}
bool MakeFolder(const char16_t* p) { return Fs().CreateDirectoryW(p); }
bool RemoveFolder(const char16_t* p) { return Fs().RemoveDirectoryW(p); }
bool Delete(const char16_t* p) { return Fs().DeleteFileW(p); }

TEST(HostFiles, PathCallsGiveWindowsCodesAndFindNamesWithoutRegardToCase) {
  DeviceFolder folder;
  folder.Write(u"Sub\\file", "x");
  EXPECT_TRUE(MakeFolder(folder.Device(u"new").c_str()));
  EXPECT_EQ(Fs().GetFileAttributesW(folder.Device(u"SUB\\FILE").c_str()), pf::kFileAttributeArchive);
  const std::tuple<bool (*)(const char16_t*), const char16_t*, uint32_t> cases[] = {
      {Attributes, u"none", win::kErrorFileNotFound},      {Attributes, u"none\\x", win::kErrorPathNotFound},
      {Search, u"*.ovs", win::kErrorFileNotFound},         {Search, u"none\\*", win::kErrorPathNotFound},
      {Search, u"sub\\file\\*", win::kErrorInvalidName},   {MakeFolder, u"new", win::kErrorAlreadyExists},
      {MakeFolder, u"a\\b", win::kErrorPathNotFound},      {RemoveFolder, u"sub\\file", win::kErrorDirectory},
      {RemoveFolder, u"none", win::kErrorFileNotFound},    {RemoveFolder, u"", win::kErrorDirNotEmpty},
      {Delete, u"new", win::kErrorAccessDenied},           {Delete, u"none\\x", win::kErrorPathNotFound},
      {Attributes, u"sub\\file\\", win::kErrorInvalidName}, {Search, u"n|o\\*", win::kErrorInvalidName},
  };
  for (const auto& [call, name, lastError] : cases) {
    EXPECT_FALSE(call(folder.Device(name).c_str())) << test::Shown(name);
    EXPECT_EQ(Fs().GetLastError(), lastError) << test::Shown(name);
  }
  EXPECT_FALSE(Attributes(u"\\\\server\\share")) << "the host has no network";
  EXPECT_EQ(Fs().GetLastError(), win::kErrorBadNetpath);
}

// Windows refuses to write a read-only file whoever asks; the host's root user could.
TEST(HostFiles, ReadOnlyFilesAreNeitherWrittenNorReplaced) {
  DeviceFolder folder;
  folder.Write(u"r", "kept");
  folder.Write(u"w", "other");
  std::filesystem::permissions(folder.Host(u"r"), std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
  const std::u16string r = folder.Device(u"r");
  for (uint32_t disposition : {pf::kOpenExisting, pf::kCreateAlways, pf::kOpenAlways, pf::kTruncateExisting}) {
    EXPECT_EQ(Fs().CreateFileW(r.c_str(), pf::kGenericWrite, 0, disposition, 0), pf::kInvalidHandleValue);
    EXPECT_EQ(Fs().GetLastError(), win::kErrorAccessDenied) << disposition;
  }
  EXPECT_FALSE(Fs().CopyFileW(folder.Device(u"w").c_str(), r.c_str(), false));
  EXPECT_EQ(Fs().GetLastError(), win::kErrorAccessDenied);
  EXPECT_EQ(folder.Read(u"r"), "kept");
  pf::FileHandle reader = Fs().CreateFileW(r.c_str(), pf::kGenericRead, 0, pf::kOpenExisting, 0);
  EXPECT_NE(reader, pf::kInvalidHandleValue);
  Fs().CloseHandle(reader);
}

TEST(HostFiles, PointerSizeAndShortWritesReportLikeWindows) {
  DeviceFolder folder;
  std::u16string path = folder.Device(u"f");
  pf::FileHandle file = Fs().CreateFileW(path.c_str(), pf::kGenericRead | pf::kGenericWrite, 0, pf::kCreateAlways, 0);
  ASSERT_NE(file, pf::kInvalidHandleValue);
  uint32_t written = 0;
  EXPECT_TRUE(Fs().WriteFile(file, "0123456789", 10, &written));
  EXPECT_EQ(Fs().GetFileSize(file, nullptr), 10u);
  EXPECT_EQ(Fs().SetFilePointer(file, -3, nullptr, pf::kFileEnd), 7u);
  EXPECT_EQ(Fs().SetFilePointer(file, -8, nullptr, pf::kFileCurrent), pf::kInvalidSetFilePointer);
  EXPECT_EQ(Fs().GetLastError(), win::kErrorNegativeSeek);
  {
    SystemCallFault<&SystemCalls::write> full(2, ENOSPC, test::ShortWrite);
    char block[200000] = {};
    EXPECT_FALSE(Fs().WriteFile(file, block, sizeof block, &written));
    EXPECT_EQ(Fs().GetLastError(), win::kErrorDiskFull);
    EXPECT_GT(written, 0u) << "the part written before the disk filled is counted";
    EXPECT_LT(written, sizeof block);
  }
  EXPECT_TRUE(Fs().CloseHandle(file));
  EXPECT_FALSE(Fs().CloseHandle(file));
  EXPECT_EQ(Fs().GetLastError(), win::kErrorInvalidHandle);
  uint32_t read = 7;
  char byte;
  EXPECT_FALSE(Fs().ReadFile(file, &byte, 1, &read));
  EXPECT_EQ(read, 0u);
}

}  // namespace
}  // namespace orvinta
