// SHUT, SEND, PLAY, BEEP and WAIT: the commands that act on the device itself.
#include "base/case_rules.h"
#include "base/number.h"
#include "commands/system_commands.h"
#include "platform/platform.h"

namespace orvinta::commands {

namespace {

using base::ParseNumber;
using engine::ScriptContext;

// Control codes of the devices' own hardware layer.
constexpr uint32_t kOemColdBoot = 0x01012594;
constexpr uint32_t kOemShutdown = 0x01012000;
constexpr uint32_t kOemReboot = 0x01012004;

int32_t Outcome(bool succeeded) { return succeeded ? 0 : 1; }

bool KernelIoControlNoBuffers(platform::Device& device, uint32_t code) {
  return device.KernelIoControl(code, nullptr, 0, nullptr, 0, nullptr);
}

}  // namespace

int32_t HandleShut(char16_t*, char16_t* argument, ScriptContext&) {
  platform::Device& device = *platform::Get().device;
  switch (base::AsciiLower(argument[0])) {
    case u'g':
      // The power-off call reports nothing; the result says whether it could be made.
      return Outcome(device.GwesPowerOffSystem());
    case u'p':
      return Outcome(device.ExitWindowsEx(win::kEwxPowerOff, 0));
    case u'k':
      device.KeybdEvent(win::kVkOff, 0, win::kKeyEventFSilent, 0);
      device.KeybdEvent(win::kVkOff, 0, win::kKeyEventFKeyUp | win::kKeyEventFSilent, 0);
      return 0;
    case u'h': {
      uint32_t code = argument[1] == u'0' ? static_cast<uint32_t>(ParseNumber(argument + 1)) : kOemColdBoot;
      KernelIoControlNoBuffers(device, code);
      device.SetCleanRebootFlag();
      return Outcome(KernelIoControlNoBuffers(device, win::kIoctlHalReboot));
    }
    case u's':
      KernelIoControlNoBuffers(device, kOemShutdown);
      return Outcome(device.GwesPowerOffSystem());
    case u'c':
      device.SetCleanRebootFlag();
      return Outcome(KernelIoControlNoBuffers(device, win::kIoctlHalReboot));
    case u'r':
      return Outcome(KernelIoControlNoBuffers(device, win::kIoctlHalReboot));
    case u'a': {
      const uint32_t one = 1;
      device.KernelIoControl(kOemReboot, &one, sizeof one, nullptr, 0, nullptr);
      return Outcome(device.ExitWindowsEx(win::kEwxReboot, 0));
    }
    default:
      return Outcome(device.ExitWindowsEx(win::kEwxReboot, 0));
  }
}

int32_t HandleSend(char16_t*, char16_t* argument, ScriptContext&) {
  platform::Device& device = *platform::Get().device;
  int32_t lastValue = 0;
  const char16_t* token = argument;
  for (const char16_t* p = argument;; ++p) {
    if (*p != engine::kArgumentSeparator && *p != 0) continue;
    // ParseNumber stops at the separator: it is neither blank, sign nor digit.
    lastValue = ParseNumber(token);
    const char16_t suffix = p > token ? p[-1] : 0;  // an empty token has none
    const auto key = static_cast<uint8_t>(lastValue & 0xFF);
    if (suffix != u'^') device.KeybdEvent(key, 0, 0, 0);
    if (suffix != u'_') device.KeybdEvent(key, 0, win::kKeyEventFKeyUp, 0);
    if (*p == 0) break;
    token = p + 1;
  }
  return lastValue != 0 ? 0 : 1;
}

int32_t HandlePlay(char16_t*, char16_t* argument, ScriptContext&) {
  uint32_t flags = win::kSndFilename;
  const char16_t* name = argument;
  for (;; ++name) {
    if (*name == u'!') {
      flags |= win::kSndAsync;
    } else if (*name == u'$') {
      flags |= win::kSndAlias;
    } else if (*name == u'*') {
      flags |= win::kSndLoop;
    } else {
      break;
    }
  }
  // No name stops whatever is playing.
  return Outcome(platform::Get().device->PlaySoundW(*name != 0 ? name : nullptr, flags));
}

int32_t HandleBeep(char16_t*, char16_t* argument, ScriptContext&) {
  return Outcome(platform::Get().device->MessageBeep(static_cast<uint32_t>(ParseNumber(argument))));
}

// A count with the top bit set (a negative number, or 0x80000000 and above) reads as 0: passed
// on it would be a wait of weeks, or for -1 (INFINITE) a wait without end. So the longest wait
// is 0x7FFFFFFF ms, about 24.8 days, spent blocked in Sleep without using the processor.
int32_t HandleWait(char16_t*, char16_t* argument, ScriptContext&) {
  const int32_t milliseconds = ParseNumber(argument);
  platform::Get().device->Sleep(milliseconds > 0 ? static_cast<uint32_t>(milliseconds) : 0);
  return 0;
}

}  // namespace orvinta::commands
