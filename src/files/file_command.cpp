// FILE. The argument is scanned once from the left, in place: ";" ends a path, "->" and "=>"
// end the source list and choose move or copy, "<" and "{" start a text write that takes the
// rest of the argument as it stands, and a final "\" makes a folder chain.
#include "files/file_command.h"

#include "engine/command_handlers.h"
#include "engine/text_utils.h"
#include "files/file_operation.h"
#include "files/file_primitives.h"
#include "files/path_buffer.h"
#include "platform/platform.h"

namespace orvinta::files {

namespace {

namespace pf = platform;

constexpr int kAnsiTextBytes = 1024;

// "<" writes the text in the ANSI code page, "{" as UTF-16; the next unit "=" appends.
int32_t WriteText(const char16_t* path, char16_t operatorUnit, const char16_t* text, bool append) {
  const size_t length = engine::TextLength(text);
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

bool IsFolder(const char16_t* path) {
  pf::FileAttributeData data;
  return pf::Get().files->GetFileAttributesExW(path, &data) && (data.attributes & pf::kFileAttributeDirectory) != 0;
}

}  // namespace

int CopyDirectoryTree(const char16_t* source, const char16_t* destination) {
  pf::Files& fs = *pf::Get().files;
  PathBuffer pattern(source);
  pf::FindData found;
  pf::SearchHandle search =
      pattern.Append(u"\\*") ? fs.FindFirstFileW(pattern.Data(), &found) : pf::kInvalidHandleValue;
  if (search != pf::kInvalidHandleValue) {
    do {
      const char16_t* name = found.name;
      if (name[0] == u'.' && (name[1] == 0 || (name[1] == u'.' && name[2] == 0))) continue;
      PathBuffer from(source), to(destination);
      if (!from.Join(name) || !to.Join(name)) continue;  // too long: passed over, never cut
      if ((found.attributes & pf::kFileAttributeDirectory) != 0) {
        CopyDirectoryTree(from.Data(), to.Data());
      } else {
        CreateDirectoryChain(to.Data());
        fs.CopyFileW(from.Data(), to.Data(), false);
      }
    } while (fs.FindNextFileW(search, &found));
    fs.FindClose(search);
  }
  PathBuffer folder(destination);
  if (folder.Append(u"\\")) CreateDirectoryChain(folder.Data());
  return 1;
}

}  // namespace orvinta::files

namespace orvinta::engine {

int32_t HandleFile(char16_t*, char16_t* argument, ScriptContext&) {
  auto operation = files::FileOperation::kDelete;
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
          operation = p[-1] == u'=' ? files::FileOperation::kCopy : files::FileOperation::kMove;
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
        return files::WriteText(argument, operatorUnit, text, append);
      }
      case u'\\':
        // A folder chain; after a move or copy operator the "\" instead names the destination
        // as a folder to move or copy into.
        if (p[1] == 0 && destinations == nullptr) {
          files::CreateDirectoryChain(argument);
          return 0;
        }
        break;
      default:
        break;
    }
  }
  const char16_t* end = p;
  files::PathBuffer first;
  if (operation == files::FileOperation::kCopy && first.Assign(argument) && files::IsFolder(first.Data())) {
    // A destination given as a folder ("\b\") receives the contents just as "\b" does.
    files::PathBuffer destination;
    if (!destination.Assign(destinations)) return static_cast<int32_t>(win::kErrorFilenameExceedsRange);
    if (destination.Size() > 0 && destination.View().back() == u'\\') destination.Truncate(destination.Size() - 1);
    files::CopyDirectoryTree(first.Data(), destination.Data());
    return 0;
  }
  std::u16string_view sources(argument, static_cast<size_t>((sourcesEnd != nullptr ? sourcesEnd : end) - argument));
  std::u16string_view targets = destinations != nullptr ? std::u16string_view(destinations, static_cast<size_t>(end - destinations))
                                                        : std::u16string_view();
  return static_cast<int32_t>(files::PerformFileOperation(operation, sources, targets));
}

}  // namespace orvinta::engine
