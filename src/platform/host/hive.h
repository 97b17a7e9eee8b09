// The host's registry in memory: keys, values and names, packed so that a hive of 200,000 keys
// takes about twice the size of its text rather than an allocation or three per key and value.
//
// Keys are numbered and never renumbered: a handle keeps its key's number, and a deleted key
// keeps its place, marked deleted. Names match without regard to case (FoldName) and keep the
// case they were created with; subkeys are listed in the order of their folded names, values in
// the order they were created. Names and data live in large blocks; the space a change leaves
// behind is reclaimed once it outgrows what is in use.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::platform::host {

using KeyId = uint32_t;
inline constexpr KeyId kNoKey = 0xFFFFFFFF;
inline constexpr int kHiveRootCount = 4;
// Windows' limit on the levels of keys below a root; a deeper key is refused wherever it comes
// from, so a hive's text stays linear in what was written.
inline constexpr size_t kMaxKeyDepth = 512;

// The root key names, in the order of their handle values (and of Hive::Root).
inline constexpr std::u16string_view kHiveRootNames[kHiveRootCount] = {
    u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER", u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"};

// Names match without regard to case (letters of ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic) and keep the case they were created with.
std::u16string FoldName(std::u16string_view name);

struct HiveValue {
  std::u16string_view name;  // empty: the key's default value
  uint32_t type = 0;
  const uint8_t* data = nullptr;
  uint32_t size = 0;
};

namespace detail {

// A sequence whose elements never move as it grows: fixed blocks of elements.
template <typename T>
class Pile {
 public:
  size_t Size() const { return size_; }
  T& operator[](size_t i) { return blocks_[i >> kShift][i & kMask]; }
  const T& operator[](size_t i) const { return blocks_[i >> kShift][i & kMask]; }
  size_t Add(const T& value) {
    if ((size_ & kMask) == 0) blocks_.push_back(std::make_unique<T[]>(kMask + 1));
    (*this)[size_] = value;
    return size_++;
  }

 private:
  static constexpr size_t kShift = 10, kMask = (size_t{1} << kShift) - 1;
  std::vector<std::unique_ptr<T[]>> blocks_;
  size_t size_ = 0;
};

// Pieces of memory carved from large blocks, given back only all at once.
class Arena {
 public:
  uint8_t* Allocate(size_t size);  // aligned for UTF-16 units
  size_t Held() const { return held_; }

 private:
  std::vector<std::unique_ptr<uint8_t[]>> blocks_;
  uint8_t* next_ = nullptr;
  size_t left_ = 0;
  size_t held_ = 0;
};

// Open addressing over numbers (keys, values) by a hash of their owner and folded name.
class IdTable {
 public:
  static constexpr uint32_t kEmpty = 0xFFFFFFFF;
  size_t Mask() const { return slots_.size() - 1; }
  uint32_t& Slot(size_t i) { return slots_[i]; }
  uint32_t Slot(size_t i) const { return slots_[i]; }
  bool Empty() const { return slots_.empty(); }
  // Makes room for one more; `hashOf` gives an entry's hash when the table grows.
  template <typename HashOf>
  void Reserve(HashOf hashOf);
  void Insert(uint32_t hash, uint32_t id);
  void Occupy(size_t slot, uint32_t id) {  // a free slot that a search ended at
    slots_[slot] = id;
    ++count_;
  }
  template <typename HashOf>
  void EraseAt(size_t slot, HashOf hashOf);

 private:
  std::vector<uint32_t> slots_;
  size_t count_ = 0;
};

}  // namespace detail

class Hive {
 public:
  Hive();

  // The four roots, in the order of kHiveRootNames.
  static constexpr KeyId Root(int index) { return static_cast<KeyId>(index); }
  std::u16string_view Name(KeyId key) const { return {keys_[key].name, keys_[key].nameLength}; }
  KeyId Parent(KeyId key) const { return keys_[key].parent; }
  bool Deleted(KeyId key) const { return (keys_[key].flags & kDeleted) != 0; }

  KeyId FindSubkey(KeyId parent, std::u16string_view name) const;  // kNoKey when missing
  KeyId AddSubkey(KeyId parent, std::u16string_view name);          // the existing one if present
  // Removes the subkey and marks it and everything below it deleted; false when missing.
  bool DeleteSubkey(KeyId parent, std::u16string_view name);
  // In the order of their folded names.
  void Subkeys(KeyId key, std::vector<KeyId>& subkeys) const;

  // The value's name and data stay where they are until the next change.
  bool FindValue(KeyId key, std::u16string_view name, HiveValue* value = nullptr) const;
  void SetValue(KeyId key, std::u16string_view name, uint32_t type, const void* data, uint32_t size);
  bool DeleteValue(KeyId key, std::u16string_view name);

  // The values of a key in the order they were created: for (v = FirstValue(k); v != kNoValue; v = NextValue(v)).
  using ValueId = uint32_t;
  static constexpr ValueId kNoValue = 0xFFFFFFFF;
  ValueId FirstValue(KeyId key) const { return keys_[key].firstValue; }
  ValueId NextValue(ValueId value) const { return values_[value].next; }
  HiveValue Value(ValueId value) const;

  // The hive reader's mark of a key whose line it has read: true the first time.
  bool Declare(KeyId key);

 private:
  static constexpr uint8_t kDeleted = 1, kDeclared = 2;
  struct KeyNode {
    const char16_t* name;
    uint32_t parent, firstChild, nextSibling, previousSibling, firstValue, lastValue, hash;
    uint16_t nameLength;
    uint8_t flags;
  };
  struct ValueNode {
    uint8_t* bytes;  // the name's units, then the data
    uint32_t key, previous, next, type, size, nameLength;
  };

  uint32_t KeyHash(KeyId parent, std::u16string_view name) const;
  uint32_t ValueHash(KeyId key, std::u16string_view name) const;
  std::u16string_view ValueName(const ValueNode& node) const {
    return {reinterpret_cast<const char16_t*>(node.bytes), node.nameLength};
  }
  size_t FindValueSlot(KeyId key, std::u16string_view name) const;  // a slot holding kEmpty when missing
  uint8_t* Place(std::u16string_view name, const void* data, uint32_t size);
  void UnlinkChild(KeyId key);
  void RemoveValue(size_t slot);
  void Reclaim();

  detail::Pile<KeyNode> keys_;
  detail::Pile<ValueNode> values_;
  ValueId freeValues_ = kNoValue;  // removed value nodes, chained by `next`
  detail::IdTable keyTable_, valueTable_;
  detail::Arena arena_;
  size_t unused_ = 0;  // bytes of the arena that removed or replaced names and data left
};

}  // namespace orvinta::platform::host
