// ASOC: makes the program the handler of a file type under HKEY_CLASSES_ROOT, or takes that
// role away. "ASOC .ovs" points ".ovs" to the class "Orvinta", "ASOC" alone writes only the
// class, "ASOC !.ovs" deletes the ".ovs" key and "ASOC !" the class.
#include "base/text.h"
#include "registry/registry_commands.h"
#include "registry/registry_key.h"

namespace orvinta::registry {

namespace {

constexpr const char16_t* kClassName = u"Orvinta";

char16_t* Append(char16_t* out, const char16_t* text) {
  while (*text != 0) *out++ = *text++;
  *out = 0;
  return out;
}

}  // namespace

int32_t HandleAsoc(char16_t*, char16_t* argument, engine::ScriptContext&) {
  platform::Registry& registry = *platform::Get().registry;
  const platform::KeyHandle classesRoot = platform::RootKeyHandle(win::kHkeyClassesRoot);
  if (argument[0] == u'!') {
    registry.RegDeleteKeyW(classesRoot, argument[1] == 0 ? kClassName : argument + 1);
    return win::AsResult(registry.CommitChanges());
  }
  if (argument[0] != 0) {
    RegistryKey extension(classesRoot, argument);
    extension.SetString(nullptr, kClassName);
  }
  {
    // The program's path fits kMaxPath units with its terminator; the quotes, the blank and
    // "%1" around it need five more.
    char16_t value[win::kMaxPath + 8] = {u'"'};
    platform::Get().processes->ModuleFileName(value + 1, win::kMaxPath);
    char16_t* pathEnd = value + 1 + base::TextLength(value + 1);
    RegistryKey classKey(classesRoot, kClassName);
    classKey.SetString(nullptr, kClassName);
    Append(pathEnd, u",0");
    RegistryKey icon(classesRoot, u"Orvinta\\DefaultIcon");
    icon.SetString(nullptr, value + 1);
    Append(Append(pathEnd, u"\""), u" %1");
    RegistryKey command(classesRoot, u"Orvinta\\Shell\\Open\\Command");
    command.SetString(nullptr, value);
    // Closed in reverse order: command, icon, class.
  }
  // The calls' own failures are silent; changes that could not be made lasting are not.
  return win::AsResult(registry.CommitChanges());
}

}  // namespace orvinta::registry
