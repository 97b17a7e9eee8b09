#include "platform/config_manager.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

#include "base/case_rules.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/provisioning_values.h"
#include "platform/registry.h"
#include "platform/xml_tree.h"

namespace orvinta::platform {

namespace {

constexpr size_t kMaxKeyPathUnits = 255;
constexpr std::u16string_view kRegistryProvider = u"Registry";

struct KeyPath {
  uint32_t root = 0;
  std::u16string path;     // below the root, parts joined by "\"
  std::u16string written;  // as the document wrote it, for the answers
};

struct Step {
  enum class Kind { SetValue, DeleteValue, DeleteKey, QueryValue, QueryKey } kind;
  KeyPath key;
  std::u16string name;
  RegistryData data;
};

bool SameAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

// "HKLM\Software\Orvinta": a root by its short or long name, then the key's parts. A "\\" is a
// backslash inside a part's own name, which no registry key can hold: refused, as is an empty
// part or a path longer than a key path may be.
uint32_t ParseKeyPath(std::u16string_view text, KeyPath& key) {
  static constexpr struct {
    std::u16string_view shortName, longName;
    uint32_t root;
  } kRoots[] = {{u"HKLM", u"HKEY_LOCAL_MACHINE", win::kHkeyLocalMachine},
                {u"HKCU", u"HKEY_CURRENT_USER", win::kHkeyCurrentUser},
                {u"HKCR", u"HKEY_CLASSES_ROOT", win::kHkeyClassesRoot},
                {u"HKU", u"HKEY_USERS", win::kHkeyUsers}};
  size_t cut = text.find(u'\\');
  std::u16string_view rootName = text.substr(0, cut);
  key.root = 0;
  for (const auto& root : kRoots) {
    if (SameAsciiNoCase(rootName, root.shortName) || SameAsciiNoCase(rootName, root.longName)) key.root = root.root;
  }
  if (key.root == 0) return win::kEInvalidArg;
  key.written = std::u16string(text);
  key.path.clear();
  if (cut == std::u16string_view::npos) return win::kSOk;
  std::u16string_view rest = text.substr(cut + 1);
  size_t partStart = 0;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != u'\\') continue;
    if (i + 1 < rest.size() && rest[i + 1] == u'\\') return win::kEInvalidArg;  // an escaped backslash
    if (i == partStart) return win::kEInvalidArg;                                 // an empty part
    partStart = i + 1;
  }
  if (rest.size() > kMaxKeyPathUnits) return win::kEInvalidArg;
  key.path = std::u16string(rest);
  return win::kSOk;
}

bool HasOnlyElements(const XmlElement& element) {
  if (element.hasText) return false;
  for (const XmlElement& child : element.children) {
    if (!HasOnlyElements(child)) return false;
  }
  return true;
}

// Reads the whole document into steps without touching the registry.
class Planner {
 public:
  uint32_t Plan(const XmlElement& root, std::vector<Step>& steps) {
    steps_ = &steps;
    if (root.name != u"wap-provisioningdoc" || !HasOnlyElements(root)) return win::kConfigEBadXml;
    for (const XmlElement& top : root.children) {
      const std::u16string* type = top.Attribute(u"type");
      bool known = top.name == u"characteristic" || top.name == u"characteristic-query" ||
                   top.name == u"nocharacteristic";
      if (!known || type == nullptr) return win::kConfigEBadXml;
      if (*type != kRegistryProvider) return win::kConfigEEntryNotFound;
      // The provider itself can be neither asked for whole nor removed.
      if (top.name != u"characteristic") return win::kEAccessDenied;
      if (uint32_t result = PlanRegistry(top); result != win::kSOk) return result;
    }
    return win::kSOk;
  }

 private:
  uint32_t PlanRegistry(const XmlElement& registry) {
    for (const XmlElement& element : registry.children) {
      const std::u16string* type = element.Attribute(u"type");
      if (type == nullptr) return win::kConfigEBadXml;
      Step step{Step::Kind::QueryKey, {}, {}, {}};
      if (uint32_t result = ParseKeyPath(*type, step.key); result != win::kSOk) return result;
      if (element.name == u"characteristic") {
        if (uint32_t result = PlanKey(element, step.key); result != win::kSOk) return result;
        continue;
      }
      if (!element.children.empty()) return win::kConfigEBadXml;
      if (element.name == u"nocharacteristic") {
        if (step.key.path.empty()) return win::kEAccessDenied;  // a root key stays
        step.kind = Step::Kind::DeleteKey;
      } else if (element.name != u"characteristic-query") {
        return win::kConfigEBadXml;
      }
      steps_->push_back(std::move(step));
    }
    return win::kSOk;
  }

  uint32_t PlanKey(const XmlElement& keyElement, const KeyPath& key) {
    for (const XmlElement& element : keyElement.children) {
      const std::u16string* name = element.Attribute(u"name");
      if (name == nullptr || !element.children.empty()) return win::kConfigEBadXml;
      Step step{Step::Kind::SetValue, key, *name, {}};
      if (element.name == u"parm") {
        const std::u16string* value = element.Attribute(u"value");
        const std::u16string* datatype = element.Attribute(u"datatype");
        if (DecodeParmValue(datatype != nullptr ? *datatype : u"string", value != nullptr ? *value : u"", step.data) !=
            ValueVerdict::Ok) {
          return win::kEInvalidArg;
        }
      } else if (element.name == u"noparm") {
        step.kind = Step::Kind::DeleteValue;
      } else if (element.name == u"parm-query") {
        step.kind = Step::Kind::QueryValue;
      } else {
        return win::kConfigEBadXml;
      }
      steps_->push_back(std::move(step));
    }
    return win::kSOk;
  }

  std::vector<Step>* steps_ = nullptr;
};

// A key's whole content, kept to put a deleted key back.
struct KeyCopy {
  std::u16string name;
  std::vector<std::pair<std::u16string, RegistryData>> values;
  std::vector<KeyCopy> subkeys;
};

// An open key that closes itself.
class OpenKey {
 public:
  explicit OpenKey(Registry& registry) : registry_(registry) {}
  ~OpenKey() {
    if (handle_ != 0) registry_.RegCloseKey(handle_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  uint32_t Open(KeyHandle parent, const std::u16string& path) {
    return registry_.RegOpenKeyExW(parent, path.c_str(), win::kKeyAllAccess, &handle_);
  }
  uint32_t Create(KeyHandle parent, const std::u16string& path) {
    return registry_.RegCreateKeyExW(parent, path.c_str(), win::kKeyAllAccess, &handle_);
  }
  KeyHandle handle() const { return handle_; }

 private:
  Registry& registry_;
  KeyHandle handle_ = 0;
};

// Applies the steps, keeping what undoes each one.
class Applier {
 public:
  explicit Applier(Registry& registry) : registry_(registry) {}

  uint32_t Apply(const std::vector<Step>& steps, std::u16string& answers) {
    for (const Step& step : steps) {
      uint32_t result = win::kSOk;
      switch (step.kind) {
        case Step::Kind::SetValue: result = SetValue(step); break;
        case Step::Kind::DeleteValue: result = DeleteValue(step); break;
        case Step::Kind::DeleteKey: result = DeleteKey(step.key); break;
        case Step::Kind::QueryValue: result = QueryValue(step, answers); break;
        case Step::Kind::QueryKey: result = QueryKey(step.key, answers); break;
      }
      if (result != win::kSOk) {
        Undo();
        return result;
      }
    }
    return win::kSOk;
  }

 private:
  struct UndoEntry {
    enum class Kind { PutValueBack, RemoveKey, PutKeyBack } kind;
    uint32_t root;
    std::u16string path;
    std::u16string name;
    std::optional<RegistryData> value;  // PutValueBack: what was there, or nothing
    KeyCopy copy;                       // PutKeyBack
  };

  static uint32_t Hresult(uint32_t error) { return win::HresultFromWin32(error); }

  uint32_t ReadValue(KeyHandle key, const std::u16string& name, std::optional<RegistryData>& value) {
    RegistryData data;
    uint32_t size = 0;
    uint32_t error = registry_.RegQueryValueExW(key, name.c_str(), &data.type, nullptr, &size);
    if (error == win::kErrorFileNotFound) {
      value.reset();
      return win::kErrorSuccess;
    }
    if (error != win::kErrorSuccess) return error;
    data.bytes.resize(size);
    error = registry_.RegQueryValueExW(key, name.c_str(), &data.type, data.bytes.data(), &size);
    if (error != win::kErrorSuccess) return error;
    data.bytes.resize(size);
    value = std::move(data);
    return win::kErrorSuccess;
  }

  // The first key of the path that does not exist yet, or an empty text when the whole path does.
  std::u16string FirstMissing(const KeyPath& key) {
    size_t end = 0;
    while (end < key.path.size()) {
      end = key.path.find(u'\\', end + 1);
      if (end == std::u16string::npos) end = key.path.size();
      std::u16string prefix = key.path.substr(0, end);
      OpenKey probe(registry_);
      if (probe.Open(RootKeyHandle(key.root), prefix) != win::kErrorSuccess) return prefix;
    }
    return {};
  }

  uint32_t SetValue(const Step& step) {
    std::u16string created = FirstMissing(step.key);
    OpenKey key(registry_);
    if (uint32_t error = key.Create(RootKeyHandle(step.key.root), step.key.path); error != 0) return Hresult(error);
    if (!created.empty()) undo_.push_back({UndoEntry::Kind::RemoveKey, step.key.root, created, {}, {}, {}});
    std::optional<RegistryData> old;
    if (uint32_t error = ReadValue(key.handle(), step.name, old); error != 0) return Hresult(error);
    uint32_t error = registry_.RegSetValueExW(key.handle(), step.name.c_str(), step.data.type, step.data.bytes.data(),
                                              static_cast<uint32_t>(step.data.bytes.size()));
    if (error != 0) return Hresult(error);
    undo_.push_back({UndoEntry::Kind::PutValueBack, step.key.root, step.key.path, step.name, std::move(old), {}});
    return win::kSOk;
  }

  // Removing what is not there leaves the registry as the document wants it: success.
  uint32_t DeleteValue(const Step& step) {
    OpenKey key(registry_);
    uint32_t error = key.Open(RootKeyHandle(step.key.root), step.key.path);
    if (error == win::kErrorFileNotFound) return win::kSOk;
    if (error != 0) return Hresult(error);
    std::optional<RegistryData> old;
    if (error = ReadValue(key.handle(), step.name, old); error != 0) return Hresult(error);
    if (!old) return win::kSOk;
    if (error = registry_.RegDeleteValueW(key.handle(), step.name.c_str()); error != 0) return Hresult(error);
    undo_.push_back({UndoEntry::Kind::PutValueBack, step.key.root, step.key.path, step.name, std::move(old), {}});
    return win::kSOk;
  }

  // The key's values and, unless `valuesOnly`, everything below it.
  uint32_t CopyKey(KeyHandle key, KeyCopy& copy, int depth, bool valuesOnly = false) {
    if (depth > 512) return win::kErrorInvalidParameter;
    std::vector<char16_t> name(16384);
    for (uint32_t index = 0;; ++index) {
      auto units = static_cast<uint32_t>(name.size());
      RegistryData data;
      uint32_t size = 0;
      uint32_t error = registry_.RegEnumValueW(key, index, name.data(), &units, &data.type, nullptr, &size);
      if (error == win::kErrorNoMoreItems) break;
      if (error != 0) return error;
      std::u16string valueName(name.data(), units);
      std::optional<RegistryData> value;
      if (error = ReadValue(key, valueName, value); error != 0) return error;
      if (value) copy.values.emplace_back(valueName, std::move(*value));
    }
    for (uint32_t index = 0; !valuesOnly; ++index) {
      auto units = static_cast<uint32_t>(name.size());
      uint32_t error = registry_.RegEnumKeyExW(key, index, name.data(), &units);
      if (error == win::kErrorNoMoreItems) break;
      if (error != 0) return error;
      KeyCopy& sub = copy.subkeys.emplace_back();
      sub.name.assign(name.data(), units);
      OpenKey child(registry_);
      if (error = child.Open(key, sub.name); error != 0) return error;
      if (error = CopyKey(child.handle(), sub, depth + 1); error != 0) return error;
    }
    return win::kErrorSuccess;
  }

  // Subkeys first: Windows refuses to delete a key that has any.
  uint32_t DeleteTree(KeyHandle parent, const std::u16string& path, const KeyCopy& copy) {
    {
      OpenKey key(registry_);
      if (uint32_t error = key.Open(parent, path); error != 0) return error;
      for (const KeyCopy& sub : copy.subkeys) {
        if (uint32_t error = DeleteTree(key.handle(), sub.name, sub); error != 0) return error;
      }
    }
    return registry_.RegDeleteKeyW(parent, path.c_str());
  }

  uint32_t Restore(KeyHandle parent, const std::u16string& path, const KeyCopy& copy) {
    OpenKey key(registry_);
    if (uint32_t error = key.Create(parent, path); error != 0) return error;
    for (const auto& [name, data] : copy.values) {
      registry_.RegSetValueExW(key.handle(), name.c_str(), data.type, data.bytes.data(),
                               static_cast<uint32_t>(data.bytes.size()));
    }
    for (const KeyCopy& sub : copy.subkeys) Restore(key.handle(), sub.name, sub);
    return win::kErrorSuccess;
  }

  uint32_t DeleteKey(const KeyPath& path) {
    KeyCopy copy;
    {
      OpenKey key(registry_);
      uint32_t error = key.Open(RootKeyHandle(path.root), path.path);
      if (error == win::kErrorFileNotFound) return win::kSOk;
      if (error != 0) return Hresult(error);
      if (error = CopyKey(key.handle(), copy, 0); error != 0) return Hresult(error);
    }
    uint32_t error = DeleteTree(RootKeyHandle(path.root), path.path, copy);
    // Part of the tree may be gone already: it is put back whole either way.
    undo_.push_back({UndoEntry::Kind::PutKeyBack, path.root, path.path, {}, {}, std::move(copy)});
    return Hresult(error);
  }

  static void AppendEscaped(std::u16string& out, std::u16string_view text) {
    for (char16_t c : text) {
      switch (c) {
        case u'&': out += u"&amp;"; break;
        case u'<': out += u"&lt;"; break;
        case u'>': out += u"&gt;"; break;
        case u'"': out += u"&quot;"; break;
        case u'\t': out += u"&#9;"; break;
        case u'\n': out += u"&#10;"; break;
        case u'\r': out += u"&#13;"; break;
        default: out += c;
      }
    }
  }

  static void AppendParm(std::u16string& out, const std::u16string& name, const RegistryData& data) {
    std::u16string datatype, value;
    EncodeParmValue(data, datatype, value);
    out += u"<parm name=\"";
    AppendEscaped(out, name);
    out += u"\" value=\"";
    AppendEscaped(out, value);
    out += u"\" datatype=\"" + datatype + u"\"/>";
  }

  static void OpenAnswer(std::u16string& out, const KeyPath& key) {
    out += u"<characteristic type=\"";
    AppendEscaped(out, key.written);
    out += u"\">";
  }

  uint32_t QueryValue(const Step& step, std::u16string& answers) {
    OpenKey key(registry_);
    uint32_t error = key.Open(RootKeyHandle(step.key.root), step.key.path);
    if (error == win::kErrorFileNotFound) return win::kConfigEEntryNotFound;
    if (error != 0) return Hresult(error);
    std::optional<RegistryData> value;
    if (error = ReadValue(key.handle(), step.name, value); error != 0) return Hresult(error);
    if (!value) return win::kConfigEEntryNotFound;
    OpenAnswer(answers, step.key);
    AppendParm(answers, step.name, *value);
    answers += u"</characteristic>";
    return win::kSOk;
  }

  uint32_t QueryKey(const KeyPath& path, std::u16string& answers) {
    OpenKey key(registry_);
    uint32_t error = key.Open(RootKeyHandle(path.root), path.path);
    if (error == win::kErrorFileNotFound) return win::kConfigEEntryNotFound;
    if (error != 0) return Hresult(error);
    KeyCopy copy;
    if (error = CopyKey(key.handle(), copy, 0, true); error != 0) return Hresult(error);
    // By name: Windows lists values in an order of its own, the host in the order of making.
    std::sort(copy.values.begin(), copy.values.end(),
              [](const auto& a, const auto& b) { return base::CompareNames(a.first.c_str(), b.first.c_str()) < 0; });
    OpenAnswer(answers, path);
    for (const auto& [name, data] : copy.values) AppendParm(answers, name, data);
    answers += u"</characteristic>";
    return win::kSOk;
  }

  void Undo() {
    for (auto entry = undo_.rbegin(); entry != undo_.rend(); ++entry) {
      KeyHandle root = RootKeyHandle(entry->root);
      switch (entry->kind) {
        case UndoEntry::Kind::PutValueBack: {
          OpenKey key(registry_);
          if (key.Open(root, entry->path) != 0) break;
          if (entry->value) {
            registry_.RegSetValueExW(key.handle(), entry->name.c_str(), entry->value->type, entry->value->bytes.data(),
                                     static_cast<uint32_t>(entry->value->bytes.size()));
          } else {
            registry_.RegDeleteValueW(key.handle(), entry->name.c_str());
          }
          break;
        }
        case UndoEntry::Kind::RemoveKey: {
          OpenKey key(registry_);
          if (key.Open(root, entry->path) != 0) break;
          KeyCopy copy;
          CopyKey(key.handle(), copy, 0);
          DeleteTree(root, entry->path, copy);
          break;
        }
        case UndoEntry::Kind::PutKeyBack:
          Restore(root, entry->path, entry->copy);
          break;
      }
    }
    undo_.clear();
  }

  Registry& registry_;
  std::vector<UndoEntry> undo_;
};

}  // namespace

uint32_t ProcessConfigXmlStandIn(const char16_t* document, uint32_t flags, std::u16string* output) {
  if (output != nullptr) output->clear();
  if (document == nullptr || flags != win::kCfgFlagProcess) return win::kEInvalidArg;
  XmlElement root;
  if (!ParseXmlTree(document, root)) return win::kConfigEBadXml;
  std::vector<Step> steps;
  if (uint32_t result = Planner().Plan(root, steps); result != win::kSOk) return result;
  Registry& registry = *Get().registry;
  std::u16string answers;
  uint32_t result = Applier(registry).Apply(steps, answers);
  uint32_t committed = registry.CommitChanges();
  if (result == win::kSOk && committed != win::kErrorSuccess) result = win::HresultFromWin32(committed);
  if (result == win::kSOk && output != nullptr && !answers.empty()) {
    *output = u"<wap-provisioningdoc><characteristic type=\"Registry\">" + answers +
              u"</characteristic></wap-provisioningdoc>";
  }
  return result;
}

}  // namespace orvinta::platform
