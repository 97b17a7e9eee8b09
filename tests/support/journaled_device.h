// A device for the tests: it records every call in the journal's format and performs none.
// Its answers are chosen by the test; Sleep never waits.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "platform/device_journal.h"
#include "platform/platform.h"

namespace orvinta::test {

class MemoryJournal final : public platform::JournalSink {
 public:
  void AppendLine(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

// Every call that reports an outcome answers `succeeds`; KernelIoControl succeeds only for the
// codes in `kernelCodesThatSucceed` when that set is not empty.
class ScriptedDevice final : public platform::StandInDevice {
 public:
  bool succeeds = true;
  std::set<uint32_t> kernelCodesThatSucceed;

  void Sleep(uint32_t) override {}
  bool MessageBeep(uint32_t) override { return succeeds; }
  bool KernelIoControl(uint32_t code, const void*, uint32_t, void*, uint32_t, uint32_t*) override {
    return succeeds && (kernelCodesThatSucceed.empty() || kernelCodesThatSucceed.count(code) != 0);
  }
  bool SetCleanRebootFlag() override { return succeeds; }
  bool GwesPowerOffSystem() override { return succeeds; }
  bool ExitWindowsEx(uint32_t, uint32_t) override { return succeeds; }
  bool PlaySoundW(const char16_t*, uint32_t) override { return succeeds; }
};

// Installed as the program's device for its lifetime.
class JournaledDevice {
 public:
  explicit JournaledDevice(bool succeeds = true) { answers.succeeds = succeeds; }
  const std::vector<std::string>& Calls() const { return journal_.lines; }

  ScriptedDevice answers;

 private:
  MemoryJournal journal_;
  platform::JournalingDevice journaling_{answers, journal_};
  platform::ServiceOverride<platform::Device> override_{&platform::Services::device, &journaling_};
};

}  // namespace orvinta::test
