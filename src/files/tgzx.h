// TGZX: unpacks a tar archive, gzip-compressed or plain, into a folder of the device. The archive
// is read through the file service and inflated as it goes (archive_reader.h), in blocks of 512
// bytes (a file's data in runs of blocks); working storage is fixed, whatever the archive's size
// (docs/commands.md).
#pragma once
#include <cstdint>

namespace orvinta::files {

// Results of TGZX.
inline constexpr int32_t kTgzxDone = 0;
inline constexpr int32_t kTgzxCannotOpen = -1;
inline constexpr int32_t kTgzxReadFailed = -2;      // the reader failed, or the archive ends inside an entry
inline constexpr int32_t kTgzxWriteFailed = -3;     // a file could not be written whole (a full disk): removed
inline constexpr int32_t kTgzxLongNameFailed = -4;  // the reader failed on a long-name record's block

// An octal number field of a tar header: blanks are skipped wherever they stand, a zero byte
// ends the field, octal digits build the value modulo 2^32. 0xFFFFFFFF for any other byte
// (the base-256 form, whose first byte is 0x80 or above, included).
uint32_t ParseOctalField(const unsigned char* bytes, uint32_t length);

// An entry's size field, in 64 bits: octal as above (up to 8 GiB - 1 in the 11 digits GNU tar
// writes) or the base-256 form that GNU tar uses for larger files (0x80, then the value's bytes
// from the most significant). kInvalidSize64 for anything else, a negative base-256 number included.
inline constexpr uint64_t kInvalidSize64 = ~uint64_t{0};
uint64_t ParseSizeField(const unsigned char* bytes, uint32_t length);

}  // namespace orvinta::files
