// The file operation behind FILE's delete, move and copy, performed from the file services on
// both builds, so that a script gives the same results on Windows and on the host.
//
// Contract: the operation means what the shell's file operation means with "no progress, yes to
// every question, destination folders made without asking": wildcards ("*", "?") in a source's
// last component; folders deleted, moved and copied with everything in them; existing files
// replaced; the destination folder, or the folders above a new name, made when missing (once a
// source is found); a move to a name that differs in case only renames. The result is 0, or
// the Win32 error code of the first failure, at which the operation stops (what was done before
// it stays):
//   2 / 3   a source (or a pattern's folder) that does not exist; a pattern that matches nothing is 2
//   32      a file copied onto itself (or held open); a file moved onto itself stays, with 0
//   87      a folder moved or copied into itself or below itself
//   183     a folder to be made where a file of that name stands
//   206     a path that would outgrow 259 units (nothing is cut)
//   and whatever the file service answers (5, 112, ...).
// Only the first destination counts; the others are ignored, as the shell's operation does
// without its several-destinations flag.
#pragma once
#include <cstdint>
#include <string_view>

namespace orvinta::files {

enum class FileOperation : uint32_t { kMove = 1, kCopy = 2, kDelete = 3 };  // FO_MOVE, FO_COPY, FO_DELETE

// Paths in the platform's list form: each ended by a zero unit; an empty path (two zeros in a
// row) or the end of the range ends the list.
class PathList {
 public:
  explicit PathList(std::u16string_view range) : rest_(range) {}
  // The next path, or false at the end of the list.
  bool Next(std::u16string_view* path);

 private:
  std::u16string_view rest_;
};

// Deletes the sources, or moves or copies them to the destination. For a move or a copy the
// destination is a folder that receives the sources when it ends in a separator, when it is an
// existing folder, or when there are several sources or a wildcard; otherwise it is the new name
// of the one source.
uint32_t PerformFileOperation(FileOperation operation, std::u16string_view sources,
                              std::u16string_view destinations);

// Copies what the source folder holds, with its subfolders, into the destination folder (\a to
// \b gives \b\x for \a\x), replacing files that exist, and makes the destination folder even
// when there is nothing to copy. Every entry is copied except "." and "..". Unlike the operation
// above it goes on past what fails (a path that would outgrow 259 units, a copy that fails) and
// reports nothing: always 1.
int CopyDirectoryTree(const char16_t* source, const char16_t* destination);

}  // namespace orvinta::files
