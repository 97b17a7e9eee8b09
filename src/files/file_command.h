// FILE: deletes, moves and copies files and folders, writes texts into files and makes folder
// chains, all chosen by the operator that stands in its one argument (docs/commands.md).
#pragma once
#include <cstdint>

namespace orvinta::files {

// Copies what the source folder holds, with its subfolders, into the destination folder (\a to
// \b gives \b\x for \a\x), replacing files that exist, and makes the destination folder even
// when there is nothing to copy. Every entry is copied except "." and "..". A path that would
// outgrow 259 units is passed over; failures of single copies are not reported. Always 1.
int CopyDirectoryTree(const char16_t* source, const char16_t* destination);

}  // namespace orvinta::files
