#include "platform/registry.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/host/device_paths.h"
#include "platform/host/hive.h"
#include "platform/host/hive_file.h"
#include "platform/host/hive_registry.h"
#include "platform/host/registry_hive.h"

namespace orvinta::platform::host {

namespace {

constexpr size_t kMaxKeyNameUnits = 255;
constexpr size_t kMaxValueNameUnits = 16383;
// The log is folded into a new hive once it outgrows half the hive, and at least this much:
// what a fold costs (the whole hive) is then spread over at least as many bytes of changes.
constexpr off_t kFoldAtLeast = 256 * 1024;
// A read that finds the hive replaced under it starts again; after this many, under the lock.
constexpr int kUnlockedReads = 20;
constexpr uint32_t kReadAgain = 0xFFFFFFFF;

std::u16string_view NameOf(const char16_t* name) {
  return name == nullptr ? std::u16string_view() : std::u16string_view(name);
}

// Splits a subkey path at "\"; empty parts (doubled or trailing "\") are dropped, as Windows does.
uint32_t SplitPath(const char16_t* subKey, std::vector<std::u16string_view>& parts) {
  parts.clear();
  std::u16string_view path = NameOf(subKey);
  if (!path.empty() && path[0] == u'\\') return win::kErrorBadPathname;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end - start > kMaxKeyNameUnits) return win::kErrorInvalidParameter;
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return win::kErrorSuccess;
}

size_t LinesIn(std::string_view text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// Hands the hive's blocks to the reader; remembers whether it refused one.
class ReaderSink final : public TextSink {
 public:
  explicit ReaderSink(HiveTextReader& reader) : reader_(reader) {}
  bool Write(std::string_view text) override {
    refused_ = !reader_.Feed(text);
    return !refused_;
  }
  bool Refused() const { return refused_; }

 private:
  HiveTextReader& reader_;
  bool refused_ = false;
};

class HiveRegistry final : public HostRegistry {
 public:
  HiveRegistry(std::string path, std::chrono::milliseconds lockWait) : file_(std::move(path), lockWait) {}

  ~HiveRegistry() override { ProcessEnds(); }

  uint32_t RegCreateKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t, KeyHandle* result) override {
    *result = 0;
    std::vector<std::u16string_view> parts;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = SplitPath(subKey, parts); error != 0) return error;
    Target target;
    if (uint32_t error = Resolve(parent, target); error != 0) return error;
    if (target.path->size() + parts.size() > kMaxKeyDepth) return win::kErrorInvalidParameter;
    KeyId key = Walk(target.key, parts);
    if (key == kNoKey) {
      if (uint32_t error = BeginChange(); error != 0) return error;
      if (uint32_t error = Resolve(parent, target); error != 0) return error;
      key = target.key;
      for (std::u16string_view part : parts) key = hive_.AddSubkey(key, part);
      JournalKey(key);
    }
    *result = NewHandle(key, target, parts);
    return win::kErrorSuccess;
  }

  uint32_t RegOpenKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t, KeyHandle* result) override {
    *result = 0;
    std::vector<std::u16string_view> parts;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = SplitPath(subKey, parts); error != 0) return error;
    Target target;
    if (uint32_t error = Resolve(parent, target); error != 0) return error;
    KeyId key = Walk(target.key, parts);
    if (key == kNoKey) return win::kErrorFileNotFound;
    *result = NewHandle(key, target, parts);
    return win::kErrorSuccess;
  }

  uint32_t RegSetValueExW(KeyHandle handle, const char16_t* name, uint32_t type, const void* data,
                          uint32_t size) override {
    if (NameOf(name).size() > kMaxValueNameUnits || (data == nullptr && size != 0)) {
      return win::kErrorInvalidParameter;
    }
    Target target;
    if (uint32_t error = ChangeTarget(handle, target); error != 0) return error;
    hive_.SetValue(target.key, NameOf(name), type, data, size);
    JournalKey(target.key);
    AppendLogValue(pending_, HiveValue{NameOf(name), type, static_cast<const uint8_t*>(data), size});
    return win::kErrorSuccess;
  }

  uint32_t RegQueryValueExW(KeyHandle handle, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size) override {
    if (data != nullptr && size == nullptr) return win::kErrorInvalidParameter;
    Target target;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = Resolve(handle, target); error != 0) return error;
    HiveValue value;
    if (!hive_.FindValue(target.key, NameOf(name), &value)) return win::kErrorFileNotFound;
    return HandOut(value, type, data, size);
  }

  uint32_t RegDeleteValueW(KeyHandle handle, const char16_t* name) override {
    Target target;
    if (uint32_t error = ChangeTarget(handle, target); error != 0) return error;
    if (!hive_.DeleteValue(target.key, NameOf(name))) return win::kErrorFileNotFound;
    JournalKey(target.key);
    AppendLogValueDeletion(pending_, NameOf(name));
    return win::kErrorSuccess;
  }

  // The device's rule: the key goes with everything below it.
  uint32_t RegDeleteKeyW(KeyHandle parent, const char16_t* subKey) override {
    std::vector<std::u16string_view> parts;
    if (uint32_t error = SplitPath(subKey, parts); error != 0) return error;
    Target target;
    if (uint32_t error = ChangeTarget(parent, target); error != 0) return error;
    std::vector<std::u16string> path = *target.path;
    path.insert(path.end(), parts.begin(), parts.end());
    if (path.empty()) return win::kErrorAccessDenied;  // a root key stays
    std::vector<std::u16string_view> above(path.begin(), path.end() - 1);
    KeyId holder = Walk(Hive::Root(target.root), above);
    KeyId doomed = holder == kNoKey ? kNoKey : hive_.FindSubkey(holder, path.back());
    if (doomed == kNoKey) return win::kErrorFileNotFound;
    AppendLogKeyDeletion(pending_, hive_, doomed);
    hive_.DeleteSubkey(holder, path.back());
    journalKey_ = kNoKey;
    return win::kErrorSuccess;
  }

  uint32_t RegCloseKey(KeyHandle handle) override {
    if (RootIndex(handle) >= 0) return win::kErrorSuccess;
    OpenKey* open = Slot(handle);
    if (open == nullptr) return win::kErrorInvalidHandle;
    *open = OpenKey{};
    return win::kErrorSuccess;
  }

  uint32_t RegEnumKeyExW(KeyHandle handle, uint32_t index, char16_t* name, uint32_t* nameUnits) override {
    Target target;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = Resolve(handle, target); error != 0) return error;
    std::vector<KeyId> subkeys;
    hive_.Subkeys(target.key, subkeys);
    if (index >= subkeys.size()) return win::kErrorNoMoreItems;
    return CopyName(hive_.Name(subkeys[index]), name, nameUnits);
  }

  // Values in the order they were made; each call walks to its index.
  uint32_t RegEnumValueW(KeyHandle handle, uint32_t index, char16_t* name, uint32_t* nameUnits, uint32_t* type,
                         void* data, uint32_t* size) override {
    if (data != nullptr && size == nullptr) return win::kErrorInvalidParameter;
    Target target;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = Resolve(handle, target); error != 0) return error;
    Hive::ValueId at = hive_.FirstValue(target.key);
    for (uint32_t i = 0; i < index && at != Hive::kNoValue; ++i) at = hive_.NextValue(at);
    if (at == Hive::kNoValue) return win::kErrorNoMoreItems;
    HiveValue value = hive_.Value(at);
    if (uint32_t error = CopyName(value.name, name, nameUnits); error != 0) return error;
    return HandOut(value, type, data, size);
  }

  // A value's type, size and bytes as the query calls hand them out: the size alone when there
  // is no buffer, ERROR_MORE_DATA when the buffer is too small.
  static uint32_t HandOut(const HiveValue& value, uint32_t* type, void* data, uint32_t* size) {
    if (type != nullptr) *type = value.type;
    if (size == nullptr) return win::kErrorSuccess;
    uint32_t offered = *size;
    *size = value.size;
    if (data == nullptr) return win::kErrorSuccess;
    if (offered < value.size) return win::kErrorMoreData;
    if (value.size > 0) std::memcpy(data, value.data, value.size);
    return win::kErrorSuccess;
  }

  uint32_t CommitChanges() override {
    if (pending_.empty()) {
      file_.Unlock();
      return win::kErrorSuccess;
    }
    uint32_t error = BeginChange();
    if (error == win::kErrorSuccess && !pending_.empty()) error = Commit();
    file_.Unlock();
    return error;
  }

  void ProcessEnds() override {
    if (!pending_.empty()) CommitChanges();
    // Changes whose commit failed are not folded either: the hive never holds what its log lacks.
    if (!unfolded_ || state_ != State::Ready || !pending_.empty()) return;
    unfolded_ = false;
    HiveFileVersion log;
    if (file_.LogCurrent(log) != 0 || !log.exists || log.size == 0) return;  // folded by another process
    if (!file_.TryLock()) return;  // another process is changing the registry: it folds when it ends
    if (CatchUp() == win::kErrorSuccess && log_.offset > 0) Fold();
    file_.Unlock();
  }

 private:
  // An open key remembers its root and path, so that it can be found again in a hive that
  // another process has written.
  struct OpenKey {
    bool open = false;
    KeyId key = kNoKey;  // kNoKey: the key is gone
    int root = 0;
    std::vector<std::u16string> path;
  };

  // The key a handle names; the path is the handle's own (not copied: a set is the hot call).
  struct Target {
    KeyId key = kNoKey;
    int root = 0;
    const std::vector<std::u16string>* path = nullptr;
  };

  // How far this process has read the log: the end of the last whole record it applied.
  struct LogPosition {
    HiveFileVersion file;
    off_t offset = 0;
    size_t lines = 0;
  };

  enum class State { Unread, Ready, Unusable };

  static uint32_t CopyName(std::u16string_view from, char16_t* name, uint32_t* nameUnits) {
    uint32_t room = *nameUnits;
    *nameUnits = static_cast<uint32_t>(from.size());
    if (name == nullptr || room <= from.size()) return win::kErrorMoreData;
    std::copy(from.begin(), from.end(), name);
    name[from.size()] = u'\0';
    return win::kErrorSuccess;
  }

  static int RootIndex(KeyHandle handle) {
    for (int i = 0; i < kHiveRootCount; ++i) {
      if (handle == RootKeyHandle(win::kHkeyClassesRoot + static_cast<uint32_t>(i))) return i;
    }
    return -1;
  }

  OpenKey* Slot(KeyHandle handle) {
    if (handle == 0 || handle % 4 != 0 || handle / 4 > handles_.size()) return nullptr;
    OpenKey& open = handles_[handle / 4 - 1];
    return open.open ? &open : nullptr;
  }

  uint32_t Resolve(KeyHandle handle, Target& target) {
    if (int root = RootIndex(handle); root >= 0) {
      static const std::vector<std::u16string> kNoPath;
      target = Target{Hive::Root(root), root, &kNoPath};
      return win::kErrorSuccess;
    }
    OpenKey* open = Slot(handle);
    if (open == nullptr) return win::kErrorInvalidHandle;
    if (open->key == kNoKey || hive_.Deleted(open->key)) return win::kErrorKeyDeleted;
    target = Target{open->key, open->root, &open->path};
    return win::kErrorSuccess;
  }

  // Locks the hive for a change and finds the key the handle names in the hive as it is now.
  uint32_t ChangeTarget(KeyHandle handle, Target& target) {
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = Resolve(handle, target); error != 0) return error;
    if (uint32_t error = BeginChange(); error != 0) return error;
    return Resolve(handle, target);
  }

  template <typename Names>
  KeyId Walk(KeyId key, const Names& names) const {
    for (const auto& name : names) {
      if (key == kNoKey) break;
      key = hive_.FindSubkey(key, name);
    }
    return key;
  }

  KeyHandle NewHandle(KeyId key, const Target& base, const std::vector<std::u16string_view>& parts) {
    OpenKey open{true, key, base.root, *base.path};
    open.path.insert(open.path.end(), parts.begin(), parts.end());
    for (size_t i = 0; i < handles_.size(); ++i) {
      if (!handles_[i].open) {
        handles_[i] = std::move(open);
        return (i + 1) * 4;
      }
    }
    handles_.push_back(std::move(open));
    return handles_.size() * 4;
  }

  // The key's line in the command's record, unless the last change was to the same key.
  void JournalKey(KeyId key) {
    if (journalKey_ == key) return;
    AppendLogKey(pending_, hive_, key);
    journalKey_ = key;
  }

  void DropPending() {
    pending_.clear();
    pending_.shrink_to_fit();
    journalKey_ = kNoKey;
  }

  uint32_t Ready() {
    if (state_ == State::Unread) {
      Load();
    } else if (state_ == State::Ready && !file_.Locked() && pending_.empty()) {
      Refresh();
    }
    return state_ == State::Ready ? win::kErrorSuccess : unusableCode_;
  }

  // Between commands, what other processes committed since this one read: two stats when
  // nothing changed, the new records when only the log grew, everything again after a fold.
  // Without the lock, so a record being written is left for later, never cut.
  void Refresh() {
    HiveFileVersion hiveNow, logNow;
    if (file_.Current(hiveNow) != 0 || file_.LogCurrent(logNow) != 0) return;  // what was read stands
    if (hiveNow == hiveVersion_ && logNow == log_.file) return;
    bool sameLog = log_.offset == 0 || logNow.SameFile(log_.file);
    if (hiveNow == hiveVersion_ && sameLog && logNow.size >= log_.offset) {
      std::string text;
      if (file_.ReadLog(log_.offset, text, logNow) != 0) return;
      HiveFileVersion hiveAfter;
      // A fold meanwhile may have made this another hive's log: then everything is read again.
      bool stillSame = file_.Current(hiveAfter) == 0 && hiveAfter == hiveVersion_ &&
                       (log_.offset == 0 || logNow.SameFile(log_.file)) && logNow.size >= log_.offset;
      if (stillSame) {
        HiveParseError parseError;
        LogRead read;
        if (!ReadLog(text, log_.offset == 0, log_.lines + 1, &hive_, read, parseError)) {
          MakeUnusable(win::kErrorRegistryCorrupt, "log", Unreadable("log", parseError));
          return;
        }
        log_.file = logNow;
        log_.offset += static_cast<off_t>(read.wholeBytes);
        log_.lines += read.wholeLines;
        return;
      }
    }
    state_ = State::Unread;
    Load();
  }

  // Reads without the lock: the hive, then the log, then whether the hive is still the file
  // read. A process that folds replaces the hive before it removes the log, so a log read after
  // a fold is never applied to the hive from before it.
  void Load() {
    for (int attempt = 0;; ++attempt) {
      bool locked = attempt >= kUnlockedReads;
      if (locked) {
        if (uint32_t error = file_.Lock(); error != 0) {
          MakeUnusable(error, "hive", "is replaced too often to be read");
          return;
        }
      }
      uint32_t error = ReadAll(locked);
      if (error == kReadAgain) continue;
      if (locked) file_.Unlock();
      if (error != win::kErrorSuccess) return;
      state_ = State::Ready;
      break;
    }
    // A record being written by another process, or one cut short by a crash: only a process
    // that holds the lock can tell, and cut it.
    if (unfinishedLog_ && file_.TryLock()) {
      CatchUp();
      file_.Unlock();
    }
  }

  // Reads the hive and the log into a new hive in memory. Under the lock nothing changes
  // meanwhile, and an unfinished record at the log's end is cut short by a crash.
  uint32_t ReadAll(bool locked) {
    hive_ = Hive();  // the old one is not needed: handles find their keys again by path
    HiveFileVersion hiveVersion;
    {
      HiveParseError parseError;
      HiveTextReader reader(hive_, parseError);
      ReaderSink sink(reader);
      if (uint32_t error = file_.ReadHive(sink, hiveVersion); error != 0) {
        return MakeUnusable(error, "hive", "cannot be read");
      }
      if (hiveVersion.exists && (sink.Refused() || !reader.Finish())) {
        return MakeUnusable(win::kErrorRegistryCorrupt, "hive", Unreadable("hive", parseError));
      }
    }
    std::string text;
    HiveFileVersion logVersion;
    if (uint32_t error = file_.ReadLog(0, text, logVersion); error != 0) {
      return MakeUnusable(error, "log", "cannot be read");
    }
    if (!locked) {
      HiveFileVersion now;
      if (file_.Current(now) == win::kErrorSuccess && now != hiveVersion) return kReadAgain;
    }
    HiveParseError parseError;
    LogRead read;
    if (!ReadLog(text, true, 1, &hive_, read, parseError)) {
      return MakeUnusable(win::kErrorRegistryCorrupt, "log", Unreadable("log", parseError));
    }
    hiveVersion_ = hiveVersion;
    log_ = LogPosition{logVersion, static_cast<off_t>(read.wholeBytes), read.wholeLines};
    unfinishedLog_ = read.unfinished;
    if (locked && read.unfinished) CutUnfinished();
    for (OpenKey& open : handles_) {
      if (open.open) open.key = Walk(Hive::Root(open.root), open.path);
    }
    return win::kErrorSuccess;
  }

  static std::string Unreadable(const char* what, const HiveParseError& error) {
    std::string where = error.line > 0 ? "line " + std::to_string(error.line) + ": " : "";
    return std::string("is not a ") + what + " this program can read (" + where + error.reason + ")";
  }

  // `what`: "hive" or "log".
  uint32_t MakeUnusable(uint32_t code, const char* what, const std::string& why) {
    state_ = State::Unusable;
    unusableCode_ = code;
    hive_ = Hive();
    DropPending();
    file_.Unlock();
    std::fprintf(stderr,
                 "orvinta: the registry %s %s %s; it is left untouched and registry calls fail with error %u\n", what,
                 (what == std::string_view("log") ? file_.LogPath() : file_.Path()).c_str(), why.c_str(), code);
    return code;
  }

  // Cuts the log back to its last whole record (the lock is held).
  void CutUnfinished() {
    unfinishedLog_ = false;
    std::fprintf(stderr,
                 "orvinta: the registry log %s ends in a change cut short (from line %zu); it is cut back to its "
                 "last whole change\n",
                 file_.LogPath().c_str(), log_.lines + 1);
    if (uint32_t error = file_.CutLog(log_.offset); error != 0) {
      std::fprintf(stderr, "orvinta: the registry log %s could not be cut back (error %u)\n", file_.LogPath().c_str(),
                   error);
    }
    file_.LogCurrent(log_.file);
  }

  // Takes the lock, then catches up with what other processes committed since.
  uint32_t BeginChange() {
    if (file_.Locked()) return win::kErrorSuccess;
    if (uint32_t error = file_.Lock(); error != 0) {
      std::fprintf(stderr, "orvinta: the registry hive %s %s (error %u)\n", file_.Path().c_str(),
                   error == win::kErrorSharingViolation ? "is locked by another process" : "cannot be locked", error);
      return error;
    }
    if (uint32_t error = CatchUp(); error != 0) {
      file_.Unlock();
      return error;
    }
    return win::kErrorSuccess;
  }

  // Under the lock: applies the records other processes appended since this one last read the
  // log, or reads everything again when one of them replaced the hive. Changes of this process
  // whose commit failed are given up then, never the other process's.
  uint32_t CatchUp() {
    HiveFileVersion hiveNow;
    if (uint32_t error = file_.Current(hiveNow); error != 0) return error;
    std::string text;
    HiveFileVersion logNow;
    bool replaced = hiveNow != hiveVersion_;
    if (!replaced) {
      if (uint32_t error = file_.ReadLog(log_.offset, text, logNow); error != 0) return error;
      replaced = (log_.offset > 0 && !logNow.SameFile(log_.file)) || logNow.size < log_.offset;
    }
    bool fromStart = log_.offset == 0;
    HiveParseError parseError;
    LogRead read;
    if (!replaced && !text.empty() && !pending_.empty()) {
      if (!ReadLog(text, fromStart, log_.lines + 1, nullptr, read, parseError)) {
        return MakeUnusable(win::kErrorRegistryCorrupt, "log", Unreadable("log", parseError));
      }
      replaced = read.wholeBytes > 0;
    }
    if (replaced) {
      if (!pending_.empty()) {
        std::fprintf(stderr,
                     "orvinta: the registry hive %s was changed by another process; changes of this one that "
                     "could not be written are given up\n",
                     file_.Path().c_str());
      }
      DropPending();
      return ReadAll(true);
    }
    if (text.empty()) return win::kErrorSuccess;
    if (!ReadLog(text, fromStart, log_.lines + 1, &hive_, read, parseError)) {
      return MakeUnusable(win::kErrorRegistryCorrupt, "log", Unreadable("log", parseError));
    }
    log_.file = logNow;
    log_.offset += static_cast<off_t>(read.wholeBytes);
    log_.lines += read.wholeLines;
    if (read.unfinished) CutUnfinished();
    return win::kErrorSuccess;
  }

  // Makes the command's changes lasting (the lock is held): a record at the log's end, then a
  // new hive when the log has outgrown the threshold. The record goes first even then: a log
  // left beside the hive that holds it (a kill between the rename and the removal) is read
  // again over that hive, which changes nothing only if the hive holds nothing newer than it.
  uint32_t Commit() {
    std::string_view header = log_.offset == 0 ? kLogHeader : std::string_view();
    off_t recordSize = static_cast<off_t>(header.size() + 1 + pending_.size() + kLogRecordEnd.size());
    std::string record;
    record.reserve(static_cast<size_t>(recordSize));
    record.append(header);
    record.push_back('\n');
    record.append(pending_);
    record.append(kLogRecordEnd);
    HiveFileVersion logNow;
    if (uint32_t error = file_.AppendLog(log_.offset, record, logNow); error != 0) {
      std::fprintf(stderr, "orvinta: the registry log %s could not be written (error %u); it is left as it was\n",
                   file_.LogPath().c_str(), error);
      return error;
    }
    log_.file = logNow;
    log_.offset += recordSize;
    log_.lines += LinesIn(record);
    unfolded_ = true;
    DropPending();
    // A fold that fails leaves the change lasting in the log all the same.
    if (log_.offset > std::max<off_t>(kFoldAtLeast, hiveVersion_.size / 2)) Fold();
    return win::kErrorSuccess;
  }

  // Writes the hive in memory as the new hive and removes the log it holds (the lock is held).
  uint32_t Fold() {
    HiveFileVersion written;
    uint32_t error = file_.Replace([this](TextSink& sink) { return WriteHive(hive_, sink); }, written);
    if (error != win::kErrorSuccess) {
      std::fprintf(stderr, "orvinta: the registry hive %s could not be written (error %u); it is left as it was\n",
                   file_.Path().c_str(), error);
      return error;
    }
    hiveVersion_ = written;
    unfolded_ = false;
    // Until the log is gone, a reader applies it again to the hive that holds it, which changes nothing.
    if (uint32_t removed = file_.CutLog(0); removed != 0) {
      std::fprintf(stderr, "orvinta: the registry log %s could not be removed (error %u)\n", file_.LogPath().c_str(),
                   removed);
      return win::kErrorSuccess;
    }
    log_ = LogPosition{};
    return win::kErrorSuccess;
  }

  HiveFile file_;
  Hive hive_;
  State state_ = State::Unread;
  uint32_t unusableCode_ = 0;
  HiveFileVersion hiveVersion_;
  LogPosition log_;
  bool unfinishedLog_ = false;
  std::string pending_;       // the log record of the changes not yet committed
  KeyId journalKey_ = kNoKey;  // the key whose line pending_ ends under
  bool unfolded_ = false;      // this process committed records that no fold has taken yet
  std::vector<OpenKey> handles_;  // handle h is slot h / 4 - 1
};

}  // namespace

std::unique_ptr<HostRegistry> MakeHiveRegistry(std::string hivePath, std::chrono::milliseconds lockWait) {
  return std::make_unique<HiveRegistry>(std::move(hivePath), lockWait);
}

}  // namespace orvinta::platform::host

namespace orvinta::platform {

Registry* backend::DefaultRegistry() {
  // Kept to the very end of the process and never taken apart; as the process ends it commits
  // what a forgotten commit left and folds the log it wrote into the hive.
  static host::HostRegistry* registry = [] {
    host::HostRegistry* made = host::MakeHiveRegistry(host::RegistryHivePath()).release();
    std::atexit([] { registry->ProcessEnds(); });
    return made;
  }();
  return registry;
}

}  // namespace orvinta::platform
