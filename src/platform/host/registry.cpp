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
#include "platform/host/hive_file.h"
#include "platform/host/hive_registry.h"
#include "platform/host/registry_hive.h"

namespace orvinta::platform::host {

namespace {

constexpr size_t kMaxKeyNameUnits = 255;
constexpr size_t kMaxValueNameUnits = 16383;

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

class HiveRegistry final : public Registry {
 public:
  HiveRegistry(std::string path, std::chrono::milliseconds lockWait) : file_(std::move(path), lockWait) {}

  ~HiveRegistry() override {
    // Every command commits what it changed; this only keeps what a forgotten commit would lose.
    if (dirty_) CommitChanges();
  }

  uint32_t RegCreateKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t, KeyHandle* result) override {
    *result = 0;
    std::vector<std::u16string_view> parts;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = SplitPath(subKey, parts); error != 0) return error;
    Target target;
    if (uint32_t error = Resolve(parent, target); error != 0) return error;
    std::shared_ptr<HiveKey> key = Walk(target.key, parts);
    if (key == nullptr) {
      if (uint32_t error = BeginChange(); error != 0) return error;
      if (uint32_t error = Resolve(parent, target); error != 0) return error;
      key = target.key;
      for (std::u16string_view part : parts) key = key->AddSubkey(part);
      dirty_ = true;
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
    std::shared_ptr<HiveKey> key = Walk(target.key, parts);
    if (key == nullptr) return win::kErrorFileNotFound;
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
    const auto* bytes = static_cast<const uint8_t*>(data);
    target.key->SetValue(NameOf(name), type, std::vector<uint8_t>(bytes, bytes + size));
    dirty_ = true;
    return win::kErrorSuccess;
  }

  uint32_t RegQueryValueExW(KeyHandle handle, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size) override {
    if (data != nullptr && size == nullptr) return win::kErrorInvalidParameter;
    Target target;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = Resolve(handle, target); error != 0) return error;
    const HiveValue* value = target.key->FindValue(NameOf(name));
    if (value == nullptr) return win::kErrorFileNotFound;
    if (type != nullptr) *type = value->type;
    if (size == nullptr) return win::kErrorSuccess;
    auto needed = static_cast<uint32_t>(value->data.size());
    uint32_t offered = *size;
    *size = needed;
    if (data == nullptr) return win::kErrorSuccess;
    if (offered < needed) return win::kErrorMoreData;
    if (needed > 0) std::memcpy(data, value->data.data(), needed);
    return win::kErrorSuccess;
  }

  uint32_t RegDeleteValueW(KeyHandle handle, const char16_t* name) override {
    Target target;
    if (uint32_t error = ChangeTarget(handle, target); error != 0) return error;
    if (!target.key->DeleteValue(NameOf(name))) return win::kErrorFileNotFound;
    dirty_ = true;
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
    std::shared_ptr<HiveKey> holder = Walk(hive_.roots[target.root], above);
    if (holder == nullptr || !holder->DeleteSubkey(path.back())) return win::kErrorFileNotFound;
    dirty_ = true;
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
    const auto& subkeys = target.key->Subkeys();
    if (index >= subkeys.size()) return win::kErrorNoMoreItems;
    return CopyName(std::next(subkeys.begin(), index)->second->Name(), name, nameUnits);
  }

  uint32_t RegEnumValueW(KeyHandle handle, uint32_t index, char16_t* name, uint32_t* nameUnits, uint32_t* type,
                         void* data, uint32_t* size) override {
    if (data != nullptr && size == nullptr) return win::kErrorInvalidParameter;
    Target target;
    if (uint32_t error = Ready(); error != 0) return error;
    if (uint32_t error = Resolve(handle, target); error != 0) return error;
    const auto& values = target.key->Values();
    if (index >= values.size()) return win::kErrorNoMoreItems;
    const HiveValue& value = values[index];
    if (uint32_t error = CopyName(value.name, name, nameUnits); error != 0) return error;
    if (type != nullptr) *type = value.type;
    if (size == nullptr) return win::kErrorSuccess;
    auto needed = static_cast<uint32_t>(value.data.size());
    uint32_t offered = *size;
    *size = needed;
    if (data == nullptr) return win::kErrorSuccess;
    if (offered < needed) return win::kErrorMoreData;
    if (needed > 0) std::memcpy(data, value.data.data(), needed);
    return win::kErrorSuccess;
  }

  uint32_t CommitChanges() override {
    if (!dirty_) {
      file_.Unlock();
      return win::kErrorSuccess;
    }
    if (uint32_t error = BeginChange(); error != 0 || !dirty_) return error;
    uint32_t error = file_.Replace(WriteHive(hive_), version_);
    if (error == win::kErrorSuccess) {
      dirty_ = false;
    } else {
      std::fprintf(stderr, "orvinta: the registry hive %s could not be written (error %u); it is left as it was\n",
                   file_.Path().c_str(), error);
    }
    file_.Unlock();
    return error;
  }

 private:
  // An open key remembers its root and path, so that it can be found again in a hive that
  // another process has written.
  struct OpenKey {
    std::shared_ptr<HiveKey> key;
    int root = 0;
    std::vector<std::u16string> path;
  };

  // The key a handle names; the path is the handle's own (not copied: a set is the hot call).
  struct Target {
    std::shared_ptr<HiveKey> key;
    int root = 0;
    const std::vector<std::u16string>* path = nullptr;
  };

  enum class State { Unread, Ready, Unusable };

  static uint32_t CopyName(const std::u16string& from, char16_t* name, uint32_t* nameUnits) {
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
    return open.key == nullptr ? nullptr : &open;
  }

  uint32_t Resolve(KeyHandle handle, Target& target) {
    if (int root = RootIndex(handle); root >= 0) {
      static const std::vector<std::u16string> kNoPath;
      target = Target{hive_.roots[root], root, &kNoPath};
      return win::kErrorSuccess;
    }
    OpenKey* open = Slot(handle);
    if (open == nullptr) return win::kErrorInvalidHandle;
    if (open->key->Deleted()) return win::kErrorKeyDeleted;
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
  static std::shared_ptr<HiveKey> Walk(std::shared_ptr<HiveKey> key, const Names& names) {
    for (const auto& name : names) {
      if (key == nullptr) break;
      key = key->FindSubkey(name);
    }
    return key;
  }

  KeyHandle NewHandle(std::shared_ptr<HiveKey> key, const Target& base, const std::vector<std::u16string_view>& parts) {
    OpenKey open{std::move(key), base.root, *base.path};
    open.path.insert(open.path.end(), parts.begin(), parts.end());
    for (size_t i = 0; i < handles_.size(); ++i) {
      if (handles_[i].key == nullptr) {
        handles_[i] = std::move(open);
        return (i + 1) * 4;
      }
    }
    handles_.push_back(std::move(open));
    return handles_.size() * 4;
  }

  uint32_t Ready() {
    if (state_ == State::Unread) Load();
    return state_ == State::Ready ? win::kErrorSuccess : unusableCode_;
  }

  void Load() {
    std::string text;
    Hive fresh;
    if (uint32_t error = ReadInto(fresh, text); error != 0) return;
    hive_ = std::move(fresh);
    state_ = State::Ready;
  }

  // Reads and parses the file; an unusable one makes the registry unusable for this process.
  uint32_t ReadInto(Hive& fresh, std::string& text) {
    if (uint32_t error = file_.Read(text, version_); error != 0) {
      return MakeUnusable(error, "cannot be read");
    }
    if (!version_.exists) return win::kErrorSuccess;
    HiveParseError parseError;
    if (!ParseHive(text, fresh, parseError)) {
      std::string where = parseError.line > 0 ? "line " + std::to_string(parseError.line) + ": " : "";
      return MakeUnusable(win::kErrorRegistryCorrupt, "is not a hive this program can read (" + where +
                                                          parseError.reason + ")");
    }
    return win::kErrorSuccess;
  }

  uint32_t MakeUnusable(uint32_t code, const std::string& why) {
    state_ = State::Unusable;
    unusableCode_ = code;
    file_.Unlock();
    std::fprintf(stderr,
                 "orvinta: the registry hive %s %s; it is left untouched and registry calls fail with error %u\n",
                 file_.Path().c_str(), why.c_str(), code);
    return code;
  }

  // Takes the lock; reads the hive again when another process has replaced it since.
  uint32_t BeginChange() {
    if (file_.Locked()) return win::kErrorSuccess;
    if (uint32_t error = file_.Lock(); error != 0) {
      std::fprintf(stderr, "orvinta: the registry hive %s %s (error %u)\n", file_.Path().c_str(),
                   error == win::kErrorSharingViolation ? "is locked by another process" : "cannot be locked", error);
      return error;
    }
    HiveFileVersion now;
    if (uint32_t error = file_.Current(now); error != 0) {
      file_.Unlock();
      return error;
    }
    if (now == version_) return win::kErrorSuccess;
    std::string text;
    Hive fresh;
    if (uint32_t error = ReadInto(fresh, text); error != 0) return error;
    hive_ = std::move(fresh);
    dirty_ = false;  // a change whose commit failed is given up for the other process's hive
    for (OpenKey& open : handles_) {
      if (open.key == nullptr) continue;
      std::shared_ptr<HiveKey> key = Walk(hive_.roots[open.root], open.path);
      if (key == nullptr) {
        key = std::make_shared<HiveKey>(open.key->Name());
        key->MarkDeleted();
      }
      open.key = std::move(key);
    }
    return win::kErrorSuccess;
  }

  HiveFile file_;
  Hive hive_;
  State state_ = State::Unread;
  uint32_t unusableCode_ = 0;
  HiveFileVersion version_;
  bool dirty_ = false;
  std::vector<OpenKey> handles_;  // handle h is slot h / 4 - 1
};

}  // namespace

std::unique_ptr<Registry> MakeHiveRegistry(std::string hivePath, std::chrono::milliseconds lockWait) {
  return std::make_unique<HiveRegistry>(std::move(hivePath), lockWait);
}

}  // namespace orvinta::platform::host

namespace orvinta::platform {

Registry* backend::DefaultRegistry() {
  // Kept to the very end of the process and never taken apart: at exit only what a forgotten
  // commit left is written; freeing a hive of many values would only cost time.
  static Registry* registry = [] {
    Registry* made = host::MakeHiveRegistry(host::RegistryHivePath()).release();
    std::atexit([] { backend::DefaultRegistry()->CommitChanges(); });
    return made;
  }();
  return registry;
}

}  // namespace orvinta::platform
