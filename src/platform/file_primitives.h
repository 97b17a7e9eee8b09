// The file primitives that LOAD and the file commands share, built on the file service.
//
// Contract: paths are zero-terminated UTF-16 device paths; none of these expands macros,
// interprets wildcards, logs or shows anything: they report by their return value only.
// A null handle means that no file is open. ReadWholeFile's own buffer comes from malloc and
// belongs to the caller, who releases it with free; two zero bytes always follow the data.
#pragma once
#include <cstdint>

#include "platform/files.h"

namespace orvinta::platform {

// No limit for ReadWholeFile's length.
inline constexpr uint32_t kWholeFile = 0xFFFFFFFF;

// Opens with share mode FILE_SHARE_READ and a disposition that follows from the access:
// GENERIC_WRITE creates or truncates, GENERIC_READ|GENERIC_WRITE opens or creates, anything
// else opens an existing file. Returns the handle, or null when the file can't be opened.
FileHandle OpenFileForAccess(const char16_t* path, uint32_t access);

// Reads the file (at most *length bytes when length is given; kWholeFile for all of it) into
// `buffer`, or into a new malloc block of the count + 16 bytes when buffer is null. A caller's
// buffer must hold the count + 2. Stores the count read in *length. Returns the buffer, or null
// when the file can't be opened or the block can't be allocated. A failed read is not reported:
// what was read, possibly nothing, is returned. A failed size query counts as an empty file.
void* ReadWholeFile(const char16_t* path, void* buffer, uint32_t* length);

// Writes `count` bytes as the whole new content of the file (created or truncated), or appends
// them (the file is created when missing). Returns the count the one write reported: 0 when the
// file can't be opened or nothing was written, a short count for a short write.
uint32_t WriteWholeFile(const char16_t* path, const void* data, uint32_t count, bool append);

// Creates every folder that the path names before a "\": a file path yields its parents, a path
// ending in "\" yields them all. Failures are not reported; the path reads the same afterwards.
// Always 1.
int CreateDirectoryChain(char16_t* path);

// Whether the path names an existing folder.
bool IsFolder(const char16_t* path);

}  // namespace orvinta::platform
