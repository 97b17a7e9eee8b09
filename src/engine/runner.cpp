#include "engine/runner.h"

#include <cstring>

#include "base/text.h"
#include "engine/dispatcher.h"
#include "engine/interpreter_state.h"
#include "engine/line_scan.h"
#include "engine/log_entry.h"
#include "engine/macros.h"
#include "engine/room_services.h"
#include "platform/constants.h"

namespace orvinta::engine {

namespace {

char16_t g_endOfText[1] = {0};

// Runs nest through CALL, LOAD and the main window. Each level holds a line buffer on the
// stack, so a script that calls itself deeper than this gets ERROR_STACK_OVERFLOW instead of
// crashing the process.
constexpr int kMaxNestedRuns = 256;

struct ActiveRun {
  ActiveRun() { ++State().activeRuns; }
  ~ActiveRun() { --State().activeRuns; }
  ActiveRun(const ActiveRun&) = delete;
  ActiveRun& operator=(const ActiveRun&) = delete;
};

const char16_t* SkipBlanks(const char16_t* p) {
  while (base::IsBlankOrTab(*p)) ++p;
  return p;
}

// An XML provisioning block: the raw text from the line start up to a "<>" marker (or to the
// end of the text) goes to the configuration manager as written.
void RunXmlBlock(ScriptContext& context) {
  char16_t* marker = context.readPosition;
  while (*marker != 0 && !(marker[0] == u'<' && marker[1] == u'>')) ++marker;
  if (*marker == 0) {
    context.lastResult = win::AsResult(Rooms().processConfigXml(context.lineStart, win::kCfgFlagProcess));
    context.readPosition = EndOfText();
    return;
  }
  *marker = 0;
  context.lastResult = win::AsResult(Rooms().processConfigXml(context.lineStart, win::kCfgFlagProcess));
  *marker = u'<';
  char16_t* resume = marker + 2;
  while (*resume != 0 && *resume != u'\n') ++resume;
  if (*resume == u'\n') ++resume;
  context.readPosition = resume;
}

// Copies `count` units. The runs between special units are mostly a few units long, shorter than
// what a call into the library's copy costs: those are moved as two overlapping fixed-size
// pieces, which read and write nothing outside the run.
inline void CopyUnits(char16_t* out, const char16_t* in, size_t count) {
  auto* to = reinterpret_cast<unsigned char*>(out);
  const auto* from = reinterpret_cast<const unsigned char*>(in);
  const size_t bytes = count * sizeof(char16_t);
  auto pair = [&]<size_t N>() {
    unsigned char head[N], tail[N];
    std::memcpy(head, from, N);
    std::memcpy(tail, from + bytes - N, N);
    std::memcpy(to, head, N);
    std::memcpy(to + bytes - N, tail, N);
  };
  if (bytes > 32) {
    std::memcpy(to, from, bytes);
  } else if (bytes >= 16) {
    pair.template operator()<16>();
  } else if (bytes >= 8) {
    pair.template operator()<8>();
  } else if (bytes >= 4) {
    pair.template operator()<4>();
  } else if (bytes == 2) {
    *out = *in;
  }
}

}  // namespace

char16_t* EndOfText() { return g_endOfText; }

int32_t ExecuteLine(char16_t* line, ScriptContext& context) {
  // Registry blocks are recognised on the raw text: the importer reads raw text, and a line
  // that only expands to "[" must run as a command instead of being handed back forever.
  if (*SkipBlanks(context.lineStart) == u'[') {
    context.lastResult = Rooms().importRegistryText(context.lineStart, &context.readPosition);
    return context.lastResult;
  }
  char16_t* command = line;
  while (base::IsBlankOrTab(*command)) ++command;
  switch (*command) {
    case 0:
    case u';':
      return context.lastResult;
    case u'<':
      RunXmlBlock(context);
      return context.lastResult;
    default:
      break;
  }
  LogCommandLine(command);
  context.lastResult = DispatchCommand(command, context);
  LogResultEntry(context.lastResult);
  return context.lastResult;
}

int32_t RunScript(char16_t* text, const char16_t* scriptPath) {
  if (State().activeRuns >= kMaxNestedRuns) return win::AsResult(win::kErrorStackOverflow);
  ActiveRun active;
  ScriptContext context{text, text, scriptPath, 0};
  char16_t line[kLineBufferUnits];
  char16_t* const limit = line + kLineBufferUnits - 1;  // keeps room for the terminator
  // The read position lives in a register while characters are copied; the context gets it
  // back whenever a handler may look at it or move it.
  char16_t* read = text;

  for (;;) {
    // A line starts at `read`. One that is blank, or a comment without "%", would run nothing
    // and expand nothing: it is passed over by a scan, without being copied.
    const char16_t* first = SkipBlanks(read);
    const char16_t* end = first;
    if (*first == u';') end = FindLineEndOrMacro(first);
    if (*end == u'\r' || *end == u'\n') {
      read += end + 1 - read;
      context.lineStart = read;
      continue;
    }
    if (*end == 0) return context.lastResult;

    // Copy the runs between the units that need more than a copy; a line longer than the
    // buffer is cut.
    char16_t* out = line;
    bool textEnds = false;  // whether this line is the last: the text ends it, not a line break
    for (;;) {
      const char16_t* special = FindLineSpecial(read);
      size_t run = static_cast<size_t>(special - read);
      size_t room = static_cast<size_t>(limit - out);
      if (run > room) run = room;
      CopyUnits(out, read, run);
      out += run;
      read += special - read;
      char16_t c = *read;
      if (c == 0) {
        textEnds = true;
        break;
      }
      ++read;
      if (c == u'\r' || c == u'\n') break;
      if (c == u',') {
        c = kArgumentSeparator;
      } else {  // "%": the character after it is consumed whatever it is
        char16_t macro = *read;
        if (macro == 0) {  // a "%" that ends the text ends it there
          textEnds = true;
          break;
        }
        ++read;
        if (macro != u'#') {
          out = ExpandMacro(out, limit, macro, context);
          continue;
        }
        char16_t four[4];
        int taken = 0;
        while (taken < 4 && *read != 0) four[taken++] = *read++;
        if (taken < 4) {  // an incomplete "%#" at the end of the text ends it there
          textEnds = true;
          break;
        }
        c = HexCodeUnit(four);
      }
      if (out < limit) *out++ = c;
    }
    *out = 0;
    context.readPosition = read;
    // When the text ends the line, the read position stays on the terminator, so that searches
    // made from the last line find nothing.
    if (textEnds) return ExecuteLine(line, context);
    ExecuteLine(line, context);
    read = context.readPosition;
    context.lineStart = read;
  }
}

}  // namespace orvinta::engine
