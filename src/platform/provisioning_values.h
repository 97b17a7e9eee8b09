// The Registry provider's data types: a parm's value text turned into registry data, and
// registry data turned back into a value text for a query's answer.
//
//   integer, boolean   REG_DWORD. integer: decimal, -2147483648 to 4294967295; boolean: 0, 1,
//                      true or false
//   string (default)   REG_SZ, the text as it stands, with its terminating zero
//   float              REG_SZ, the text, which must be a decimal number (1, -2.5, 6.02e23)
//   multiplestring     REG_MULTI_SZ: strings separated by U+F000, the list ended by two U+F000
//                      (or by the value's end)
//   binary             REG_BINARY from base64 (blanks and line ends ignored)
//   time, date         a FILETIME (8 bytes, little-endian, 100 ns since 1601) in REG_BINARY,
//                      from ISO 8601: time "2007-06-21T13:45:00" (".5" and "Z" allowed),
//                      date "2007-06-21"
// Datatype names compare without regard to ASCII case.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::platform {

struct RegistryData {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;
};

enum class ValueVerdict { Ok, UnknownDatatype, BadValue };

ValueVerdict DecodeParmValue(std::u16string_view datatype, std::u16string_view value, RegistryData& out);

// The datatype and value text a query answers for registry data: integer for REG_DWORD,
// string for REG_SZ and REG_EXPAND_SZ, multiplestring for REG_MULTI_SZ, binary (base64) for the rest.
void EncodeParmValue(const RegistryData& data, std::u16string& datatype, std::u16string& value);

// base64, the standard alphabet with "=" padding. Decode is false on anything else.
bool DecodeBase64(std::u16string_view text, std::vector<uint8_t>& out);
std::u16string EncodeBase64(const std::vector<uint8_t>& bytes);

// ISO 8601 date ("YYYY-MM-DD") or time ("YYYY-MM-DDThh:mm:ss[.f...][Z]") to a FILETIME; false
// when the text is not one or names no such day (years 1601 to 9999).
bool ParseIsoFileTime(std::u16string_view text, bool withTime, uint64_t& fileTime);

}  // namespace orvinta::platform
