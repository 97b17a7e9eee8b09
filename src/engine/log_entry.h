// The log of executed command lines, in the log pane's format.
#pragma once
#include <cstddef>
#include <cstdint>

namespace orvinta::engine {

// A result entry holds this many code units including its terminator.
inline constexpr size_t kResultEntryUnits = 260;

// Builds the result entry for `result`: five blanks, eight upper-case hexadecimal digits, a
// blank, the platform's message text for the number (cut to fit), and the line breaks that
// leave one empty line behind it. Returns its length; `entry` holds kResultEntryUnits units.
size_t BuildResultEntry(int32_t result, char16_t* entry);

// Append the command line (as expanded, followed by CR LF), and then its result entry.
void LogCommandLine(const char16_t* command);
void LogResultEntry(int32_t result);

}  // namespace orvinta::engine
