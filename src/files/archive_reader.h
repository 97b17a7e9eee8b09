// The bytes of an archive as TGZX reads them. A file that begins with the gzip magic (1F 8B) is
// a gzip stream, one member or several one after another, inflated with zlib; anything after
// the last member that is not another member is ignored. Any other file is read as it stands
// (a plain tar). The file itself is read through the platform's file service, in blocks.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <memory>

#include "platform/files.h"

namespace orvinta::files {

class ArchiveReader {
 public:
  ArchiveReader() = default;
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // False when the file can't be opened or the reader's memory can't be had.
  bool Open(const char16_t* path);

  // Reads up to `count` bytes into `buffer` and returns how many it read: fewer only at the end
  // of the data. Once the file can't be read further or its compressed data are damaged or cut
  // short, the bytes that came out whole are returned first and every later call returns -1.
  int Read(void* buffer, uint32_t count);

 private:
  bool Fill();             // more input; false at the end of the file or on a failed read
  bool NextMember();       // after a member's end: whether another one follows
  int Inflate(unsigned char* out, uint32_t count);
  int Copy(unsigned char* out, uint32_t count);

  platform::FileHandle file_ = nullptr;
  std::unique_ptr<unsigned char[]> input_;
  z_stream stream_{};
  bool compressed_ = false;
  bool inflating_ = false;  // inflateInit2 done: inflateEnd owed
  bool ended_ = false;      // no more data
  bool failed_ = false;     // a read failed or the data are damaged: -1 from now on
  bool endOfFile_ = false;
};

}  // namespace orvinta::files
