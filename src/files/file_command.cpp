// FILE. The argument is scanned once from the left, in place: ";" ends a path, "->" and "=>"
// end the source list and choose move or copy, "<" and "{" start a text write that takes the
// rest of the argument as it stands, and a final "\" makes a folder chain.
#include "base/text.h"
#include "files/file_commands.h"
#include "files/file_operation.h"
#include "files/path_buffer.h"
#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace orvinta::files {

namespace {

namespace pf = platform;
using pf::CreateDirectoryChain;
using pf::IsFolder;
using pf::WriteWholeFile;

constexpr int kAnsiTextBytes = 1024;

// "<" writes the text in the ANSI code page, "{" as UTF-16; the next unit "=" appends.
int32_t WriteText(const char16_t* path, char16_t operatorUnit, const char16_t* text, bool append) {
  const size_t length = base::TextLength(text);
  uint32_t written = 0;
  if (operatorUnit == u'<') {
    char bytes[kAnsiTextBytes];
    // A text that does not fit converts to nothing (the call fails), and nothing is written.
    int count = length == 0 ? 0
                            : pf::Get().text->WideCharToMultiByte(text, static_cast<int>(length), bytes, kAnsiTextBytes);
    written = WriteWholeFile(path, bytes, static_cast<uint32_t>(count), append);
  } else {
    written = WriteWholeFile(path, text, static_cast<uint32_t>(length * sizeof(char16_t)), append);
  }
  return written > 0 ? 0 : 1;
}

}  // namespace

int32_t HandleFile(char16_t*, char16_t* argument, engine::ScriptContext&) {
  auto operation = FileOperation::kDelete;
  const char16_t* destinations = nullptr;
  const char16_t* sourcesEnd = nullptr;
  char16_t* p = argument;
  for (; *p != 0; ++p) {
    switch (*p) {
      case u';':
        *p = 0;
        break;
      case u'>':
        if (p > argument && (p[-1] == u'=' || p[-1] == u'-')) {
          operation = p[-1] == u'=' ? FileOperation::kCopy : FileOperation::kMove;
          if (sourcesEnd == nullptr) sourcesEnd = p - 1;
          p[-1] = 0;
          destinations = p + 1;
        }
        *p = 0;
        break;
      case u'<':
      case u'{': {
        const char16_t operatorUnit = *p;
        *p = 0;
        const bool append = p[1] == u'=';
        const char16_t* text = p[1] != 0 ? p + 2 : p + 1;
        return WriteText(argument, operatorUnit, text, append);
      }
      case u'\\':
        // A folder chain; after a move or copy operator the "\" instead names the destination
        // as a folder to move or copy into.
        if (p[1] == 0 && destinations == nullptr) {
          CreateDirectoryChain(argument);
          return 0;
        }
        break;
      default:
        break;
    }
  }
  const char16_t* end = p;
  PathBuffer first;
  if (operation == FileOperation::kCopy && first.Assign(argument) && IsFolder(first.Data())) {
    // A destination given as a folder ("\b\") receives the contents just as "\b" does.
    PathBuffer destination;
    if (!destination.Assign(destinations)) return static_cast<int32_t>(win::kErrorFilenameExceedsRange);
    if (destination.Size() > 0 && destination.View().back() == u'\\') destination.Truncate(destination.Size() - 1);
    CopyDirectoryTree(first.Data(), destination.Data());
    return 0;
  }
  std::u16string_view sources(argument, static_cast<size_t>((sourcesEnd != nullptr ? sourcesEnd : end) - argument));
  std::u16string_view targets = destinations != nullptr ? std::u16string_view(destinations, static_cast<size_t>(end - destinations))
                                                        : std::u16string_view();
  return static_cast<int32_t>(PerformFileOperation(operation, sources, targets));
}

}  // namespace orvinta::files
