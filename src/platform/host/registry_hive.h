// The host's registry in memory, and its hive text: a strict reader and a writer of their own.
//
// The hive is UTF-8 text in the shape of a registry script, so a person can read and diff it
// (docs/host-device.md describes it in full):
//
//   Orvinta registry hive 1
//   [HKEY_LOCAL_MACHINE\Software\Test]
//   "Name"="text"            REG_SZ; in quotes \\, \" and \xHHHH are escapes
//   "Count"=dword:0000001f   REG_DWORD of 4 bytes
//   "Data"=hex:01,02,\       REG_BINARY; long lists continue on lines indented by two blanks
//     03
//   "Path"=str(2):"%x%"      a string of another type (2, 21)
//   "List"=multi_sz:"a","b"  REG_MULTI_SZ
//   "Raw"=hex(1):61,00       any type number, any bytes: what the other forms cannot state
//   ; end of hive
//
// Every value round-trips bit-exact. The reader accepts nothing else: no registry-script
// leniency, a missing end line (a truncated file) or bytes that are not UTF-8 are errors.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::platform::host {

// Names match without regard to case (letters of ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic) and keep the case they were created with.
std::u16string FoldName(std::u16string_view name);

struct HiveValue {
  std::u16string name;  // empty: the key's default value
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

class HiveKey {
 public:
  explicit HiveKey(std::u16string name) : name_(std::move(name)) {}

  const std::u16string& Name() const { return name_; }
  bool Deleted() const { return deleted_; }

  const std::deque<HiveValue>& Values() const { return values_; }
  const HiveValue* FindValue(std::u16string_view name) const;
  void SetValue(std::u16string_view name, uint32_t type, std::vector<uint8_t> data);
  bool DeleteValue(std::u16string_view name);

  // Subkeys in the order of their folded names.
  const std::map<std::u16string, std::shared_ptr<HiveKey>>& Subkeys() const { return subkeys_; }
  std::shared_ptr<HiveKey> FindSubkey(std::u16string_view name) const;
  std::shared_ptr<HiveKey> AddSubkey(std::u16string_view name);  // the existing one if present
  // Removes the subkey and marks it and everything below it deleted.
  bool DeleteSubkey(std::u16string_view name);
  // Marks this key and everything below it deleted: handles on them answer ERROR_KEY_DELETED.
  void MarkDeleted();

 private:
  // The value slot for `name`: where it is, or the empty slot where it would go.
  size_t Slot(std::u16string_view name) const;
  void Reindex();
  std::u16string name_;
  bool deleted_ = false;
  std::deque<HiveValue> values_;  // in the order they were created; never moved as they grow
  // An open-addressing index of values_ by folded name: position + 1, 0 for an empty slot. A
  // key may hold tens of thousands of values; this costs no allocation per value.
  std::vector<uint32_t> valueSlots_;
  std::map<std::u16string, std::shared_ptr<HiveKey>> subkeys_;  // folded name -> key
};

inline constexpr int kHiveRootCount = 4;

// The four roots, in the order of their handle values.
struct Hive {
  std::shared_ptr<HiveKey> roots[kHiveRootCount];
  Hive();
};

struct HiveParseError {
  size_t line = 0;  // 1-based; 0 when the whole text is at fault
  std::string reason;
};

// Reads a hive text; false (and `error`) when it is not exactly what WriteHive writes.
bool ParseHive(std::string_view text, Hive& hive, HiveParseError& error);

std::string WriteHive(const Hive& hive);

}  // namespace orvinta::platform::host
