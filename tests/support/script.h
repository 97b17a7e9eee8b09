// Running script texts in tests, checks that report the caller's line, and poisoned buffers.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <source_location>
#include <span>
#include <string>

#include "engine/log_entry.h"
#include "engine/interpreter_state.h"
#include "engine/runner.h"
#include "support/services.h"

namespace orvinta::test {

inline constexpr const char16_t* kScriptPath = u"\\Storage Card\\Setup\\a.ovs";
inline constexpr char16_t kPoison = 0xCCCC;
inline const int32_t kNotFound = win::AsResult(win::kErrorFileNotFound);

// A text as a failure message shows it, escapes included.
inline std::string Shown(std::u16string_view text) { return testing::PrintToString(std::u16string(text)); }

// The interpreter's state lives for the whole process: a test starts from a fresh one.
inline void ResetInterpreter() { engine::ResetInterpreterState(); }

// User variables %0 to %(count-1), joined with "|".
inline std::u16string Variables(int count = 4) {
  std::u16string all = engine::UserVariable(0);
  for (int slot = 1; slot < count; ++slot) all += u"|" + std::u16string(engine::UserVariable(slot));
  return all;
}

struct RunOutcome {
  int32_t result;
  std::u16string log, text;  // text: the script after the run, which must be as it was
};

// Runs `script` from a writable heap copy of exactly its size and a terminator, so that
// AddressSanitizer sees any read past its end, and captures the log.
inline RunOutcome RunText(std::u16string_view script, const char16_t* scriptPath = kScriptPath) {
  CapturingLog log;
  auto copy = std::make_unique<char16_t[]>(script.size() + 1);
  script.copy(copy.get(), script.size());
  int32_t result = engine::RunScript(copy.get(), scriptPath);
  return {result, std::move(log.text), std::u16string(copy.get(), script.size())};
}

// The result entry for `result`; the log of one command line with its entry.
inline std::u16string Entry(int32_t result) {
  char16_t entry[engine::kResultEntryUnits];
  return std::u16string(entry, engine::BuildResultEntry(result, entry));
}
inline std::u16string Logged(std::u16string_view command, int32_t result) {
  return std::u16string(command) + u"\r\n" + Entry(result);
}

// What a run must leave: its result and, where given, %0|%1|%2|%3 and the log.
struct Expected {
  int32_t result = 0;
  std::optional<std::u16string> variables = {};
  std::optional<std::u16string> log = {};
};
struct ScriptCase {
  std::u16string_view script;
  Expected expected;
};

// Runs a script with empty user variables on a quiet device and checks what it left, reporting at
// the caller's line.
inline void ExpectRun(std::u16string_view script, const Expected& expected,
                      std::source_location where = std::source_location::current()) {
  testing::ScopedTrace trace(where.file_name(), static_cast<int>(where.line()), Shown(script));
  QuietDevice device;
  ResetInterpreter();
  RunOutcome outcome = RunText(script);
  EXPECT_EQ(outcome.result, expected.result);
  EXPECT_EQ(Variables(), expected.variables.value_or(Variables()));
  EXPECT_EQ(outcome.log, expected.log.value_or(outcome.log));
  EXPECT_EQ(outcome.text, script) << "the run changed its script text";
}
inline void ExpectRuns(std::span<const ScriptCase> cases,
                       std::source_location where = std::source_location::current()) {
  for (const ScriptCase& c : cases) ExpectRun(c.script, c.expected, where);
}

// A buffer filled with poison, so that an overrun or an unwritten result shows.
template <size_t N>
struct PoisonedBuffer {
  PoisonedBuffer() { std::fill_n(units, N, kPoison); }
  char16_t units[N];
};

// Expects units [from, N) of `buffer` still to hold the poison.
template <size_t N>
void ExpectPoisonedFrom(const PoisonedBuffer<N>& buffer, size_t from,
                        std::source_location where = std::source_location::current()) {
  auto written = std::count_if(buffer.units + from, buffer.units + N, [](char16_t unit) { return unit != kPoison; });
  if (written != 0) ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << written << " units written";
}

}  // namespace orvinta::test
