// LOAD: runs the files that a path or pattern finds, each handled by its content.
#pragma once
#include <cstdint>

namespace orvinta::engine {

// The LOAD handler's work. Pattern mode loads every entry that the path matches; scan mode (the
// last component is "*") loads the ".ovs" files of each immediate subfolder. Returns the result
// of the last file handled, 2 when nothing matched (or the path can't be held in 260 units).
int32_t LoadPattern(const char16_t* path);

// Reads one file whole and hands it by its content: an XML document to the configuration
// manager, a registry script to the importer, anything else to the runner with `path` as the
// script path. 110 when the file can't be read.
int32_t LoadOneFile(const char16_t* path);

// The encoding rule: a file that begins with the byte-order mark FF FE, or whose byte at offset
// 3 is zero, is UTF-16 LE; every other file is ANSI. `bytes` holds at least four bytes (the read
// buffer's zeros count).
bool IsUtf16Text(const unsigned char* bytes);

}  // namespace orvinta::engine
