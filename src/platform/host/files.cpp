#include "platform/files.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/host/beneath.h"
#include "platform/host/device_paths.h"
#include "platform/host/name_match.h"
#include "platform/host/system_calls.h"
#include "base/case_rules.h"
#include "base/utf8.h"
#include "platform/host/win32_errors.h"

namespace orvinta::platform {

namespace {

using host::FailedCall;
using host::Sys;

// The device's usual special folders, below the virtual device's root.
const char16_t* DeviceFolderFor(int csidl) {
  switch (csidl) {
    case win::kCsidlAppData: return u"\\Application Data";
    case win::kCsidlPersonal: return u"\\My Documents";
    case win::kCsidlStartup: return u"\\Windows\\Startup";
    case win::kCsidlWindows: return u"\\Windows";
    case win::kCsidlPrograms: return u"\\Windows\\Start Menu\\Programs";
    case win::kCsidlStartMenu: return u"\\Windows\\Start Menu";
    case win::kCsidlProgramFiles: return u"\\Program Files";
    default: return nullptr;
  }
}

// Whether the folder that would hold `hostPath` exists: it tells a missing file (2) from a
// missing path (3).
bool FolderOfExists(const std::string& hostPath) {
  size_t slash = hostPath.rfind('/');
  if (slash == std::string::npos) return true;  // the current directory
  std::string folder = slash == 0 ? "/" : hostPath.substr(0, slash);
  struct stat info;
  return Sys().stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsHostFolder(const std::string& hostPath) {
  struct stat info;
  return Sys().stat(hostPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// A file that its owner may not write stands for Windows' read-only attribute.
bool IsReadOnly(const struct stat& info) { return (info.st_mode & S_IWUSR) == 0; }

// The last name of a path as it was given, without the dots and blanks that Windows drops.
std::string GivenName(std::u16string_view path) {
  while (!path.empty() && (path.back() == u'\\' || path.back() == u'/')) path.remove_suffix(1);
  std::u16string_view name = path.substr(path.find_last_of(u"\\/") + 1);
  while (!name.empty() && (name.back() == u'.' || name.back() == u' ')) name.remove_suffix(1);
  return base::Utf16ToUtf8(name);
}

// The order of the names' upper-cased units, as Windows' own file systems list a folder, so
// that a search gives the same order on every host.
bool ListedBefore(const FindData& a, const FindData& b) { return base::CompareNames(a.name, b.name) < 0; }

struct OpenFile {
  int fd;
  dev_t device;
  ino_t inode;
  uint32_t access;
  uint32_t share;
  bool identified;  // device and inode read (see Identified)
};

struct Search {
  std::vector<FindData> entries;
  size_t next = 1;  // the first entry went out with FindFirstFileW
};

class HostFiles final : public Files {
 public:
  FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                         uint32_t) override {
    if (disposition < kCreateNew || disposition > kTruncateExisting ||
        (disposition == kTruncateExisting && (access & kGenericWrite) == 0)) {
      return FailHandle(win::kErrorInvalidParameter);
    }
    if (path[0] == 0) return FailHandle(win::kErrorPathNotFound);
    const host::MappedPath mapped = host::MapPath(path);
    if (mapped.error != 0) return FailHandle(mapped.error);
    const std::string& host = mapped.host;
    if (mapped.namesFolder && !IsHostFolder(host)) return FailHandle(win::kErrorInvalidName);
    // A pipe opens without waiting for its other end, and is refused below.
    int flags = O_CLOEXEC | O_NONBLOCK;
    bool reads = (access & kGenericRead) != 0, writes = (access & kGenericWrite) != 0;
    flags |= reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY;
    const bool changes = writes || disposition != kOpenExisting;
    const bool empties = disposition == kCreateAlways || disposition == kTruncateExisting;
    if (changes) {
      if (uint32_t refused = host::RefuseLinkedFolders(path, host); refused != 0) return FailHandle(refused);
      flags |= O_NOFOLLOW;  // a link in the file's place is never written through (beneath.h)
    }
    if (disposition == kCreateNew) flags |= O_CREAT | O_EXCL;
    // Truncation waits until the sharing check has passed: a refused open changes nothing.
    int fd = -1;
    bool existed = false;
    if (disposition == kCreateAlways || disposition == kOpenAlways) {
      // Whether the file was there before decides the last error (183); a new file is made in
      // one call.
      fd = Sys().open(host.c_str(), flags | O_CREAT | O_EXCL, 0666);
      if (fd >= 0) {
        host::NoteNameMade(host);
      } else if (errno == EEXIST) {
        existed = true;
        fd = Sys().open(host.c_str(), flags | O_CREAT, 0666);
      }
    } else {
      fd = Sys().open(host.c_str(), flags, 0666);
      if (fd >= 0 && disposition == kCreateNew) host::NoteNameMade(host);
    }
    if (fd < 0 && errno == ELOOP && changes && empties) fd = host::ReplaceWithNewFile(host, flags);
    if (fd < 0) {
      int error = errno;
      if (error == ENXIO) return FailHandle(win::kErrorCantAccessFile);  // a pipe that no one reads
      FailedCall call = disposition == kCreateNew ? FailedCall::kCreateNew : FailedCall::kOther;
      return FailHandle(host::Win32ErrorFromErrno(error, call, FolderOfExists(host)));
    }
    OpenFile opened{fd, 0, 0, access, share, false};
    // A file that this call made is new and empty, no folder, and held by no other handle; its
    // identity is read only when a sharing check needs it.
    if (disposition == kCreateNew || existed || disposition == kOpenExisting || disposition == kTruncateExisting) {
      struct stat info;
      if (Sys().fstat(fd, &info) != 0) return CloseAndFail(fd, host::Win32ErrorFromErrno(errno));
      if (S_ISDIR(info.st_mode)) return CloseAndFail(fd, win::kErrorAccessDenied);
      if (!S_ISREG(info.st_mode)) return CloseAndFail(fd, win::kErrorCantAccessFile);
      // A read-only file is neither written nor replaced, whoever the host's user is.
      if (IsReadOnly(info) && (writes || disposition == kCreateAlways || disposition == kTruncateExisting)) {
        return CloseAndFail(fd, win::kErrorAccessDenied);
      }
      if (!SharingAllows(info, access, share)) return CloseAndFail(fd, win::kErrorSharingViolation);
      if (changes && info.st_nlink > 1) {
        // A file with other names, perhaps outside the root: emptied means a new file of its
        // own; written in place it would change the others, so it is refused.
        Sys().close(fd);
        if (!empties) return FailHandle(win::kErrorCantResolveFilename);
        fd = host::ReplaceWithNewFile(host, flags);
        if (fd < 0) return FailHandle(host::Win32ErrorFromErrno(errno));
        if (Sys().fstat(fd, &info) != 0) return CloseAndFail(fd, host::Win32ErrorFromErrno(errno));
      }
      if ((disposition == kCreateAlways || disposition == kTruncateExisting) && info.st_size != 0 &&
          Sys().ftruncate(fd, 0) != 0) {
        return CloseAndFail(fd, host::Win32ErrorFromErrno(errno));
      }
      opened = {fd, info.st_dev, info.st_ino, access, share, true};
    }
    FileHandle handle = NewHandle();
    files_[handle] = opened;
    lastError_ = existed && (disposition == kCreateAlways || disposition == kOpenAlways) ? win::kErrorAlreadyExists
                                                                                         : win::kErrorSuccess;
    return handle;
  }

  bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* read) override {
    if (read != nullptr) *read = 0;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(win::kErrorInvalidHandle);
    if ((open->access & kGenericRead) == 0) return Fail(win::kErrorAccessDenied);
    uint32_t done = 0;
    while (done < count) {
      ssize_t n = Sys().read(open->fd, static_cast<char*>(buffer) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        if (read != nullptr) *read = done;
        return Fail(host::Win32ErrorFromErrno(errno));
      }
      if (n == 0) break;  // the end of the file
      done += static_cast<uint32_t>(n);
    }
    if (read != nullptr) *read = done;
    return true;
  }

  bool WriteFile(FileHandle file, const void* data, uint32_t count, uint32_t* written) override {
    if (written != nullptr) *written = 0;
    OpenFile* open = Find(file);
    if (open == nullptr) return Fail(win::kErrorInvalidHandle);
    if ((open->access & kGenericWrite) == 0) return Fail(win::kErrorAccessDenied);
    uint32_t done = 0;
    while (done < count) {
      ssize_t n = Sys().write(open->fd, static_cast<const char*>(data) + done, count - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (written != nullptr) *written = done;
        return Fail(n == 0 ? win::kErrorDiskFull : host::Win32ErrorFromErrno(errno));
      }
      done += static_cast<uint32_t>(n);
    }
    if (written != nullptr) *written = done;
    return true;
  }

  uint32_t GetFileSize(FileHandle file, uint32_t* high) override {
    OpenFile* open = Find(file);
    if (open == nullptr) return FailValue(win::kErrorInvalidHandle, kInvalidFileSize);
    struct stat info;
    if (Sys().fstat(open->fd, &info) != 0) return FailValue(host::Win32ErrorFromErrno(errno), kInvalidFileSize);
    auto size = static_cast<uint64_t>(info.st_size);
    if (high != nullptr) *high = static_cast<uint32_t>(size >> 32);
    if (static_cast<uint32_t>(size) == kInvalidFileSize) lastError_ = win::kErrorSuccess;
    return static_cast<uint32_t>(size);
  }

  uint32_t SetFilePointer(FileHandle file, int32_t distance, int32_t* high, uint32_t method) override {
    OpenFile* open = Find(file);
    if (open == nullptr) return FailValue(win::kErrorInvalidHandle, kInvalidSetFilePointer);
    if (method > kFileEnd) return FailValue(win::kErrorInvalidParameter, kInvalidSetFilePointer);
    int64_t move = high != nullptr
                       ? static_cast<int64_t>((static_cast<uint64_t>(static_cast<uint32_t>(*high)) << 32) |
                                              static_cast<uint32_t>(distance))
                       : distance;
    int whence = method == kFileBegin ? SEEK_SET : method == kFileCurrent ? SEEK_CUR : SEEK_END;
    off_t position = Sys().lseek(open->fd, static_cast<off_t>(move), whence);
    if (position < 0) {
      return FailValue(errno == EINVAL ? win::kErrorNegativeSeek : host::Win32ErrorFromErrno(errno),
                       kInvalidSetFilePointer);
    }
    auto where = static_cast<uint64_t>(position);
    if (high != nullptr) *high = static_cast<int32_t>(where >> 32);
    if (static_cast<uint32_t>(where) == kInvalidSetFilePointer) lastError_ = win::kErrorSuccess;
    return static_cast<uint32_t>(where);
  }

  bool CloseHandle(FileHandle file) override {
    auto found = files_.find(file);
    if (found == files_.end()) return Fail(win::kErrorInvalidHandle);
    int fd = found->second.fd;
    files_.erase(found);
    if (Sys().close(fd) != 0) return Fail(host::Win32ErrorFromErrno(errno));
    return true;
  }

  bool CreateDirectoryW(const char16_t* path) override {
    const host::MappedPath mapped = host::MapPath(path);
    if (mapped.error != 0) return Fail(mapped.error);
    const std::string& host = mapped.host;
    if (uint32_t refused = host::RefuseLinkedFolders(path, host); refused != 0) return Fail(refused);
    if (Sys().mkdir(host.c_str(), 0777) != 0) return Fail(host::Win32ErrorFromErrno(errno, FailedCall::kOther, false));
    host::NoteNameMade(host);
    return true;
  }

  bool RemoveDirectoryW(const char16_t* path) override {
    const host::MappedPath mapped = host::MapPath(path);
    if (mapped.error != 0) return Fail(mapped.error);
    const std::string& host = mapped.host;
    if (uint32_t refused = host::RefuseLinkedFolders(path, host); refused != 0) return Fail(refused);
    host::ForgetListingOf(host);
    // A link to a folder is removed as the link, as Windows removes a junction.
    struct stat own;
    const bool link = Sys().lstat(host.c_str(), &own) == 0 && S_ISLNK(own.st_mode) && host::LinkLeadsToFolder(host);
    if ((link ? Sys().unlink(host.c_str()) : Sys().rmdir(host.c_str())) != 0) {
      int error = errno;
      return Fail(host::Win32ErrorFromErrno(error, FailedCall::kRemoveDirectory, FolderOfExists(host)));
    }
    return true;
  }

  bool DeleteFileW(const char16_t* path) override {
    const host::MappedPath mapped = host::MapPath(path);
    if (mapped.error != 0) return Fail(mapped.error);
    const std::string& host = mapped.host;
    if (uint32_t refused = host::RefuseLinkedFolders(path, host); refused != 0) return Fail(refused);
    struct stat info;
    if (Sys().lstat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode) && IsReadOnly(info)) {
      return Fail(win::kErrorAccessDenied);  // as Windows keeps a read-only file
    }
    if (IsOpen(host)) return Fail(win::kErrorSharingViolation);
    host::ForgetListingOf(host);
    if (Sys().unlink(host.c_str()) != 0) {
      int error = errno;
      return Fail(host::Win32ErrorFromErrno(error, FailedCall::kOther, FolderOfExists(host)));
    }
    return true;
  }

  bool MoveFileW(const char16_t* from, const char16_t* to) override {
    const host::MappedPath mappedSource = host::MapPath(from), mappedTarget = host::MapPath(to);
    if (mappedSource.error != 0) return Fail(mappedSource.error);
    if (mappedTarget.error != 0) return Fail(mappedTarget.error);
    const std::string& source = mappedSource.host;
    std::string target = mappedTarget.host;
    for (uint32_t refused : {host::RefuseLinkedFolders(from, source), host::RefuseLinkedFolders(to, target)}) {
      if (refused != 0) return Fail(refused);
    }
    struct stat info;
    if (Sys().lstat(source.c_str(), &info) != 0) {
      int error = errno;
      return Fail(host::Win32ErrorFromErrno(error, FailedCall::kOther, FolderOfExists(source)));
    }
    if (mappedTarget.namesFolder && !S_ISDIR(info.st_mode)) return Fail(win::kErrorDirectory);
    if (target == source) {
      // The name found for the target is the source's own: a change of case, renamed to the
      // name as given.
      target = target.substr(0, target.rfind('/') + 1) + GivenName(to);
      if (target == source) return true;
    } else if (Sys().lstat(target.c_str(), &info) == 0) {
      return Fail(win::kErrorAlreadyExists);
    }
    if (IsOpen(source)) return Fail(win::kErrorSharingViolation);
    host::ForgetListingOf(source);
    host::ForgetListingOf(target);
    if (Sys().rename(source.c_str(), target.c_str()) != 0) {
      int error = errno;
      return Fail(host::Win32ErrorFromErrno(error, FailedCall::kOther, FolderOfExists(target)));
    }
    return true;
  }

  bool CopyFileW(const char16_t* from, const char16_t* to, bool failIfExists) override {
    FileHandle source = CreateFileW(from, kGenericRead, kFileShareRead, kOpenExisting, 0);
    if (source == kInvalidHandleValue) return false;
    OpenFile& in = files_[source];
    const std::string target = host::HostPathFor(to);
    struct stat info;
    if (!target.empty() && Sys().stat(target.c_str(), &info) == 0 && IsFile(in, info)) {
      CloseHandle(source);
      return Fail(win::kErrorSharingViolation);  // copying a file onto itself
    }
    FileHandle copy = CreateFileW(to, kGenericWrite, 0, failIfExists ? kCreateNew : kCreateAlways, 0);
    if (copy == kInvalidHandleValue) {
      uint32_t error = lastError_;
      CloseHandle(source);
      return Fail(error);
    }
    char block[65536];
    bool ok = true;
    for (;;) {
      uint32_t got = 0, put = 0;
      if (!ReadFile(source, block, sizeof block, &got)) ok = false;
      if (!ok || got == 0) break;
      if (!WriteFile(copy, block, got, &put)) {
        ok = false;
        break;
      }
    }
    // The copy keeps the source's read-only attribute, as Windows' does.
    struct stat original;
    if (ok && Sys().fstat(in.fd, &original) == 0 && IsReadOnly(original)) {
      Sys().fchmod(files_[copy].fd, original.st_mode & 07777);
    }
    uint32_t error = lastError_;
    CloseHandle(copy);
    CloseHandle(source);
    if (!ok) {
      host::ForgetListingOf(target);
      Sys().unlink(target.c_str());  // no half copy stays behind
      return Fail(error);
    }
    lastError_ = win::kErrorSuccess;
    return true;
  }

  uint32_t GetFileAttributesW(const char16_t* path) override {
    FileAttributeData data;
    return GetFileAttributesExW(path, &data) ? data.attributes : kInvalidFileAttributes;
  }

  bool GetFileAttributesExW(const char16_t* path, FileAttributeData* data) override {
    if (path[0] == 0) return Fail(win::kErrorPathNotFound);
    const host::MappedPath mapped = host::MapPath(path);
    if (mapped.error != 0) return Fail(mapped.error);
    const std::string& host = mapped.host;
    struct stat info;
    if (!host::EntryAttributes(host, &info, &data->attributes, &data->size)) {
      int error = errno;
      return Fail(host::Win32ErrorFromErrno(error, FailedCall::kOther, FolderOfExists(host)));
    }
    return true;
  }

  SearchHandle FindFirstFileW(const char16_t* pattern, FindData* data) override {
    std::u16string_view whole(pattern);
    size_t separator = whole.find_last_of(u"\\/");
    std::u16string namePattern(separator == std::u16string_view::npos ? whole : whole.substr(separator + 1));
    std::string folder = ".";
    if (separator != std::u16string_view::npos) {
      // The folder with its separator: "\\" is the root, "\\\\" a network path.
      const host::MappedPath mapped = host::MapPath(whole.substr(0, separator + 1));
      if (mapped.error != 0) return FailHandle(mapped.error);
      folder = mapped.host.empty() ? "." : mapped.host;
    }
    // Trailing blanks go and trailing dots stand for one, which also matches the end of a name.
    bool dot = false;
    while (!namePattern.empty() && (namePattern.back() == u'.' || namePattern.back() == u' ')) {
      dot = dot || namePattern.back() == u'.';
      namePattern.pop_back();
    }
    if (dot && !namePattern.empty()) namePattern += u'.';
    if (namePattern.empty()) return FailHandle(win::kErrorFileNotFound);

    DIR* dir = Sys().opendir(folder.c_str());
    if (dir == nullptr) return FailHandle(host::Win32ErrorFromErrno(errno, FailedCall::kOther, false));
    Search search;
    for (;;) {
      errno = 0;
      dirent* entry = Sys().readdir(dir);
      if (entry == nullptr) break;  // the end, or a folder that can't be read further
      std::string_view raw(entry->d_name);
      if (raw == "." || raw == "..") continue;
      std::u16string name = base::Utf8ToUtf16(raw);
      if (name.size() >= win::kMaxPath || !host::NameMatches(namePattern, name)) continue;
      FindData found;
      name.copy(found.name, name.size());
      found.name[name.size()] = 0;
      struct stat info;
      std::string full = folder + "/" + std::string(raw);
      // A link is listed as one (beneath.h); an entry gone meanwhile as a plain file.
      if (!host::EntryAttributes(full, &info, &found.attributes, &found.size)) found.attributes = kFileAttributeArchive;
      search.entries.push_back(found);
    }
    Sys().closedir(dir);
    if (search.entries.empty()) return FailHandle(win::kErrorFileNotFound);
    std::sort(search.entries.begin(), search.entries.end(), ListedBefore);
    *data = search.entries[0];
    SearchHandle handle = NewHandle();
    searches_[handle] = std::move(search);
    lastError_ = win::kErrorSuccess;
    return handle;
  }

  bool FindNextFileW(SearchHandle search, FindData* data) override {
    auto found = searches_.find(search);
    if (found == searches_.end()) return Fail(win::kErrorInvalidHandle);
    Search& s = found->second;
    if (s.next >= s.entries.size()) return Fail(win::kErrorNoMoreFiles);
    *data = s.entries[s.next++];
    return true;
  }

  bool FindClose(SearchHandle search) override {
    if (searches_.erase(search) == 0) return Fail(win::kErrorInvalidHandle);
    return true;
  }

  uint32_t GetLastError() override { return lastError_; }
  void SetLastError(uint32_t code) override { lastError_ = code; }

  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    const char16_t* path = DeviceFolderFor(csidl);
    if (path == nullptr) return false;
    if (create && host::CreateDeviceFolderChain(path) != win::kErrorSuccess) return false;
    size_t n = 0;
    for (; path[n] != 0 && n + 1 < win::kMaxPath; ++n) buffer[n] = path[n];
    buffer[n] = 0;
    return true;
  }

  // Host paths ("/work/a.ovs", "./dir/a.ovs") separate folders with "/" too.
  bool IsPathSeparator(std::u16string_view path, size_t at) const override {
    return path[at] == u'\\' || (path[at] == u'/' && path[0] != u'\\');
  }

 private:
  bool Fail(uint32_t code) {
    lastError_ = code;
    return false;
  }
  uint32_t FailValue(uint32_t code, uint32_t value) {
    lastError_ = code;
    return value;
  }
  FileHandle FailHandle(uint32_t code) {
    lastError_ = code;
    return kInvalidHandleValue;
  }
  FileHandle CloseAndFail(int fd, uint32_t code) {
    Sys().close(fd);
    return FailHandle(code);
  }

  // Handles look like Windows' own: small multiples of 4, never null or invalid.
  Handle NewHandle() {
    nextHandle_ += 4;
    return reinterpret_cast<Handle>(nextHandle_);
  }

  OpenFile* Find(FileHandle file) {
    auto found = files_.find(file);
    return found == files_.end() ? nullptr : &found->second;
  }

  // Windows' sharing rule among the handles this process holds: a new opener must allow what
  // every holder does, and every holder must allow what the new opener wants.
  bool SharingAllows(const struct stat& info, uint32_t access, uint32_t share) {
    for (auto& [handle, held] : files_) {
      if (!IsFile(held, info)) continue;
      if ((access & kGenericRead) && !(held.share & kFileShareRead)) return false;
      if ((access & kGenericWrite) && !(held.share & kFileShareWrite)) return false;
      if ((held.access & kGenericRead) && !(share & kFileShareRead)) return false;
      if ((held.access & kGenericWrite) && !(share & kFileShareWrite)) return false;
    }
    return true;
  }

  // Whether this process holds the file open: then it can't be deleted or moved, as on Windows.
  bool IsOpen(const std::string& host) {
    struct stat info;
    if (Sys().lstat(host.c_str(), &info) != 0) return false;
    for (auto& [handle, held] : files_) {
      if (IsFile(held, info)) return true;
    }
    return false;
  }

  // Whether the handle holds the file; a handle that made its file reads its identity now.
  static bool IsFile(OpenFile& held, const struct stat& info) {
    struct stat own;
    if (!held.identified && Sys().fstat(held.fd, &own) == 0) {
      held.device = own.st_dev;
      held.inode = own.st_ino;
      held.identified = true;
    }
    return held.identified && held.device == info.st_dev && held.inode == info.st_ino;
  }

  std::map<FileHandle, OpenFile> files_;
  std::map<SearchHandle, Search> searches_;
  uintptr_t nextHandle_ = 0x100;
  uint32_t lastError_ = win::kErrorSuccess;
};

}  // namespace

Files* backend::DefaultFiles() {
  static HostFiles files;
  return &files;
}

}  // namespace orvinta::platform
