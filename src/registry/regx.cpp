// REGX: sets, reads and deletes one registry value, or deletes a key.
//   REGX root\key\name=text     REG_SZ          REGX root\key\name   read into %0
//   REGX root\key\#name=number  REG_DWORD       REGX root\key\#name  the value as the result
//   REGX root\key\@name=0A,ff   REG_BINARY      REGX root\key\-name  delete the value
//   REGX root\key\-             delete the key
#include "base/number.h"
#include "base/text.h"
#include "engine/interpreter_state.h"
#include "registry/registry_commands.h"
#include "registry/registry_key.h"

namespace orvinta::registry {

namespace {

using engine::kUserVariableUnits;

int32_t ReadIntoVariableZero(RegistryKey& key, const char16_t* name) {
  // One unit more than %0 holds, so that data filling all 520 bytes still ends in a zero.
  char16_t value[kUserVariableUnits + 1] = {};
  uint32_t size = kUserVariableUnits * sizeof(char16_t);
  engine::ClearUserVariable(0);
  uint32_t result = platform::Get().registry->RegQueryValueExW(key.Handle(), name, nullptr, value, &size);
  if (result == win::kErrorSuccess) engine::SetUserVariable(0, value);
  return win::AsResult(result);
}

int32_t ReadNumber(RegistryKey& key, const char16_t* name) {
  unsigned char bytes[4] = {};
  uint32_t size = sizeof bytes;
  if (platform::Get().registry->RegQueryValueExW(key.Handle(), name, nullptr, bytes, &size) != win::kErrorSuccess) {
    return 0;  // missing, or longer than 4 bytes
  }
  for (uint32_t i = size; i < 4; ++i) bytes[i] = 0;
  return static_cast<int32_t>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (uint32_t{bytes[3]} << 24));
}

}  // namespace

int32_t HandleRegx(char16_t*, char16_t* argument, engine::ScriptContext&) {
  size_t rootLength = 0;
  platform::KeyHandle root = ParseRootKey(argument, rootLength);
  if (root == 0) return win::AsResult(win::kEInvalidArg);
  char16_t* path = argument + rootLength;

  char16_t* data = nullptr;
  for (char16_t* p = path; *p != 0; ++p) {
    if (*p == u'=') {
      *p = 0;
      data = p + 1;
      break;
    }
  }
  char16_t* lastBackslash = nullptr;
  for (char16_t* p = path; *p != 0; ++p) {
    if (*p == u'\\') lastBackslash = p;
  }
  if (lastBackslash == nullptr) return win::AsResult(win::kEInvalidArg);
  *lastBackslash = 0;
  char16_t* valuePart = lastBackslash + 1;

  RegistryKey key(root, path);
  if (!key.IsOpen()) return win::AsResult(key.CreateResult());
  platform::Registry& registry = *platform::Get().registry;
  uint32_t result = win::kErrorSuccess;

  if (data != nullptr) {
    if (valuePart[0] == u'#') {
      int32_t number = base::ParseNumber(data);
      unsigned char bytes[4] = {static_cast<unsigned char>(number), static_cast<unsigned char>(number >> 8),
                                static_cast<unsigned char>(number >> 16), static_cast<unsigned char>(number >> 24)};
      result = registry.RegSetValueExW(key.Handle(), valuePart + 1, win::kRegDword, bytes, sizeof bytes);
    } else if (valuePart[0] == u'@') {
      uint32_t count = ParseByteList(data);
      result = registry.RegSetValueExW(key.Handle(), valuePart + 1, win::kRegBinary, data, count);
    } else {
      auto size = static_cast<uint32_t>((base::TextLength(data) + 1) * sizeof(char16_t));
      result = registry.RegSetValueExW(key.Handle(), valuePart, win::kRegSz, data, size);
    }
  } else if (valuePart[0] == u'-' && valuePart[1] == 0) {
    key.Close();
    result = registry.RegDeleteKeyW(root, path);
  } else if (valuePart[0] == u'-') {
    result = registry.RegDeleteValueW(key.Handle(), valuePart + 1);
  } else if (valuePart[0] == u'#') {
    int32_t number = ReadNumber(key, valuePart + 1);
    key.Close();
    registry.CommitChanges();  // the read created the key if it was missing; this form reports nothing
    return number;
  } else {
    result = static_cast<uint32_t>(ReadIntoVariableZero(key, valuePart));
  }
  key.Close();
  uint32_t committed = registry.CommitChanges();
  return win::AsResult(result != win::kErrorSuccess ? result : committed);
}

}  // namespace orvinta::registry
