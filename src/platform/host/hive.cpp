#include "platform/host/hive.h"

#include <algorithm>
#include <cstring>

#include "base/case_rules.h"

namespace orvinta::platform::host {

namespace {

constexpr size_t kArenaBlock = 64 * 1024;
constexpr size_t kReclaimAbove = 1024 * 1024;

uint32_t FoldedHash(uint64_t owner, std::u16string_view name) {
  uint64_t hash = 14695981039346656037ull ^ (owner * 0x9E3779B97F4A7C15ull);
  for (char16_t c : name) hash = (hash ^ base::NameUpper(c)) * 1099511628211ull;
  hash ^= hash >> 29;
  hash *= 0xBF58476D1CE4E5B9ull;
  return static_cast<uint32_t>(hash ^ (hash >> 32));
}

bool SameFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && base::NameUpper(a[i]) != base::NameUpper(b[i])) return false;
  }
  return true;
}

bool FoldedLess(std::u16string_view a, std::u16string_view b) {
  size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    char16_t x = base::NameUpper(a[i]), y = base::NameUpper(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

const char16_t kNoName[] = u"";

}  // namespace

std::u16string FoldName(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = base::NameUpper(c);
  return folded;
}

namespace detail {

uint8_t* Arena::Allocate(size_t size) {
  size = (size + 1) & ~size_t{1};
  if (size > kArenaBlock / 8) {
    // A large piece gets a block of its own; the current block stays in use.
    blocks_.push_back(std::unique_ptr<uint8_t[]>(new uint8_t[size]));
    held_ += size;
    return blocks_.back().get();
  }
  if (size > left_) {
    blocks_.push_back(std::unique_ptr<uint8_t[]>(new uint8_t[kArenaBlock]));
    held_ += kArenaBlock;
    next_ = blocks_.back().get();
    left_ = kArenaBlock;
  }
  uint8_t* at = next_;
  next_ += size;
  left_ -= size;
  return at;
}

template <typename HashOf>
void IdTable::Reserve(HashOf hashOf) {
  if ((count_ + 1) * 2 <= slots_.size()) return;
  std::vector<uint32_t> old = std::move(slots_);
  slots_.assign(std::max<size_t>(16, old.size() * 2), kEmpty);
  count_ = 0;
  for (uint32_t id : old) {
    if (id != kEmpty) Insert(hashOf(id), id);
  }
}

void IdTable::Insert(uint32_t hash, uint32_t id) {
  size_t mask = Mask();
  size_t i = hash & mask;
  while (slots_[i] != kEmpty) i = (i + 1) & mask;
  slots_[i] = id;
  ++count_;
}

// Linear probing's deletion: later entries of the same run move up, so no search stops early.
template <typename HashOf>
void IdTable::EraseAt(size_t slot, HashOf hashOf) {
  size_t mask = Mask();
  size_t hole = slot;
  for (size_t j = (hole + 1) & mask; slots_[j] != kEmpty; j = (j + 1) & mask) {
    size_t home = hashOf(slots_[j]) & mask;
    // The entry at j may fill the hole unless its home lies cyclically in (hole, j].
    bool stays = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
    if (!stays) {
      slots_[hole] = slots_[j];
      hole = j;
    }
  }
  slots_[hole] = kEmpty;
  --count_;
}

}  // namespace detail

Hive::Hive() {
  for (int i = 0; i < kHiveRootCount; ++i) {
    keys_.Add(KeyNode{kHiveRootNames[i].data(), kNoKey, kNoKey, kNoKey, kNoKey, kNoValue, kNoValue, 0,
                      static_cast<uint16_t>(kHiveRootNames[i].size()), 0});
  }
}

uint32_t Hive::KeyHash(KeyId parent, std::u16string_view name) const { return FoldedHash(parent, name); }

uint32_t Hive::ValueHash(KeyId key, std::u16string_view name) const {
  return FoldedHash(uint64_t{key} | (uint64_t{1} << 40), name);
}

KeyId Hive::FindSubkey(KeyId parent, std::u16string_view name) const {
  if (keyTable_.Empty()) return kNoKey;
  uint32_t hash = KeyHash(parent, name);
  size_t mask = keyTable_.Mask();
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint32_t id = keyTable_.Slot(i);
    if (id == detail::IdTable::kEmpty) return kNoKey;
    const KeyNode& node = keys_[id];
    if (node.hash == hash && node.parent == parent && SameFolded({node.name, node.nameLength}, name)) return id;
  }
}

KeyId Hive::AddSubkey(KeyId parent, std::u16string_view name) {
  if (KeyId found = FindSubkey(parent, name); found != kNoKey) return found;
  auto* units = reinterpret_cast<char16_t*>(arena_.Allocate(name.size() * 2));
  if (!name.empty()) std::memcpy(units, name.data(), name.size() * 2);
  KeyNode& above = keys_[parent];
  uint32_t hash = KeyHash(parent, name);
  auto id = static_cast<KeyId>(keys_.Add(KeyNode{units, parent, kNoKey, above.firstChild, kNoKey, kNoValue,
                                                 kNoValue, hash, static_cast<uint16_t>(name.size()), 0}));
  if (above.firstChild != kNoKey) keys_[above.firstChild].previousSibling = id;
  keys_[parent].firstChild = id;
  keyTable_.Reserve([this](uint32_t key) { return keys_[key].hash; });
  keyTable_.Insert(hash, id);
  return id;
}

void Hive::UnlinkChild(KeyId key) {
  KeyNode& node = keys_[key];
  if (node.previousSibling != kNoKey) {
    keys_[node.previousSibling].nextSibling = node.nextSibling;
  } else {
    keys_[node.parent].firstChild = node.nextSibling;
  }
  if (node.nextSibling != kNoKey) keys_[node.nextSibling].previousSibling = node.previousSibling;
}

bool Hive::DeleteSubkey(KeyId parent, std::u16string_view name) {
  KeyId top = FindSubkey(parent, name);
  if (top == kNoKey) return false;
  UnlinkChild(top);
  auto keyHashOf = [this](uint32_t key) { return keys_[key].hash; };
  std::vector<KeyId> pending{top};
  while (!pending.empty()) {
    KeyId key = pending.back();
    pending.pop_back();
    KeyNode& node = keys_[key];
    for (KeyId child = node.firstChild; child != kNoKey; child = keys_[child].nextSibling) pending.push_back(child);
    while (node.firstValue != kNoValue) {
      RemoveValue(FindValueSlot(key, ValueName(values_[node.firstValue])));
    }
    size_t mask = keyTable_.Mask();
    size_t slot = node.hash & mask;
    while (keyTable_.Slot(slot) != key) slot = (slot + 1) & mask;
    keyTable_.EraseAt(slot, keyHashOf);
    unused_ += node.nameLength * size_t{2};
    node.name = kNoName;
    node.nameLength = 0;
    node.firstChild = kNoKey;
    node.flags |= kDeleted;
  }
  Reclaim();
  return true;
}

void Hive::Subkeys(KeyId key, std::vector<KeyId>& subkeys) const {
  subkeys.clear();
  for (KeyId child = keys_[key].firstChild; child != kNoKey; child = keys_[child].nextSibling) subkeys.push_back(child);
  std::sort(subkeys.begin(), subkeys.end(), [this](KeyId a, KeyId b) { return FoldedLess(Name(a), Name(b)); });
}

size_t Hive::FindValueSlot(KeyId key, std::u16string_view name) const {
  uint32_t hash = ValueHash(key, name);
  size_t mask = valueTable_.Mask();
  for (size_t i = hash & mask;; i = (i + 1) & mask) {
    uint32_t id = valueTable_.Slot(i);
    if (id == detail::IdTable::kEmpty) return i;
    const ValueNode& node = values_[id];
    if (node.key == key && SameFolded(ValueName(node), name)) return i;
  }
}

HiveValue Hive::Value(ValueId value) const {
  const ValueNode& node = values_[value];
  return HiveValue{ValueName(node), node.type, node.bytes + node.nameLength * size_t{2}, node.size};
}

bool Hive::FindValue(KeyId key, std::u16string_view name, HiveValue* value) const {
  if (valueTable_.Empty()) return false;
  uint32_t id = valueTable_.Slot(FindValueSlot(key, name));
  if (id == detail::IdTable::kEmpty) return false;
  if (value != nullptr) *value = Value(id);
  return true;
}

uint8_t* Hive::Place(std::u16string_view name, const void* data, uint32_t size) {
  uint8_t* bytes = arena_.Allocate(name.size() * 2 + size);
  if (!name.empty()) std::memcpy(bytes, name.data(), name.size() * 2);
  if (size > 0) std::memcpy(bytes + name.size() * 2, data, size);
  return bytes;
}

void Hive::SetValue(KeyId key, std::u16string_view name, uint32_t type, const void* data, uint32_t size) {
  auto valueHashOf = [this](uint32_t value) { return ValueHash(values_[value].key, ValueName(values_[value])); };
  valueTable_.Reserve(valueHashOf);
  size_t slot = FindValueSlot(key, name);
  if (uint32_t id = valueTable_.Slot(slot); id != detail::IdTable::kEmpty) {
    // The value keeps its place and the case of the name it was created with.
    ValueNode& node = values_[id];
    if (size <= node.size) {
      if (size > 0) std::memmove(node.bytes + node.nameLength * size_t{2}, data, size);
      unused_ += node.size - size;
    } else {
      node.bytes = Place(ValueName(node), data, size);
      unused_ += node.nameLength * size_t{2} + node.size;
    }
    node.type = type;
    node.size = size;
    Reclaim();
    return;
  }
  KeyNode& owner = keys_[key];
  ValueNode node{Place(name, data, size), key, owner.lastValue, kNoValue, type, size, static_cast<uint32_t>(name.size())};
  ValueId id = freeValues_;
  if (id != kNoValue) {
    freeValues_ = values_[id].next;
    values_[id] = node;
  } else {
    id = static_cast<ValueId>(values_.Add(node));
  }
  if (owner.lastValue != kNoValue) {
    values_[owner.lastValue].next = id;
  } else {
    owner.firstValue = id;
  }
  owner.lastValue = id;
  valueTable_.Occupy(slot, id);
}

void Hive::RemoveValue(size_t slot) {
  ValueId id = valueTable_.Slot(slot);
  ValueNode& node = values_[id];
  KeyNode& owner = keys_[node.key];
  if (node.previous != kNoValue) {
    values_[node.previous].next = node.next;
  } else {
    owner.firstValue = node.next;
  }
  if (node.next != kNoValue) {
    values_[node.next].previous = node.previous;
  } else {
    owner.lastValue = node.previous;
  }
  valueTable_.EraseAt(slot, [this](uint32_t value) { return ValueHash(values_[value].key, ValueName(values_[value])); });
  unused_ += node.nameLength * size_t{2} + node.size;
  node.key = kNoKey;
  node.next = freeValues_;
  freeValues_ = id;
}

bool Hive::DeleteValue(KeyId key, std::u16string_view name) {
  if (valueTable_.Empty()) return false;
  size_t slot = FindValueSlot(key, name);
  if (valueTable_.Slot(slot) == detail::IdTable::kEmpty) return false;
  RemoveValue(slot);
  Reclaim();
  return true;
}

bool Hive::Declare(KeyId key) {
  if ((keys_[key].flags & kDeclared) != 0) return false;
  keys_[key].flags |= kDeclared;
  return true;
}

// Copies every name and value still in use into a fresh arena once most of the old one is unused.
void Hive::Reclaim() {
  if (unused_ < kReclaimAbove || unused_ * 2 < arena_.Held()) return;
  detail::Arena fresh;
  for (size_t key = kHiveRootCount; key < keys_.Size(); ++key) {
    KeyNode& node = keys_[key];
    if ((node.flags & kDeleted) != 0) continue;
    auto* units = reinterpret_cast<char16_t*>(fresh.Allocate(node.nameLength * size_t{2}));
    if (node.nameLength > 0) std::memcpy(units, node.name, node.nameLength * size_t{2});
    node.name = units;
  }
  for (size_t value = 0; value < values_.Size(); ++value) {
    ValueNode& node = values_[value];
    if (node.key == kNoKey) continue;
    size_t length = node.nameLength * size_t{2} + node.size;
    uint8_t* bytes = fresh.Allocate(length);
    if (length > 0) std::memcpy(bytes, node.bytes, length);
    node.bytes = bytes;
  }
  arena_ = std::move(fresh);
  unused_ = 0;
}

}  // namespace orvinta::platform::host
