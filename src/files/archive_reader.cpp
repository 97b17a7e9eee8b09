#include "files/archive_reader.h"

#include <new>

#include "platform/file_primitives.h"
#include "platform/platform.h"

namespace orvinta::files {

namespace {

namespace pf = platform;

constexpr uint32_t kInputBlock = 128 * 1024;  // fewer, larger reads of the archive
constexpr int kGzipWindow = 16 + MAX_WBITS;   // a gzip header and trailer around the deflate data

}  // namespace

ArchiveReader::~ArchiveReader() {
  if (inflating_) inflateEnd(&stream_);
  if (file_ != nullptr) pf::Get().files->CloseHandle(file_);
}

bool ArchiveReader::Open(const char16_t* path) {
  input_.reset(new (std::nothrow) unsigned char[kInputBlock]);
  if (input_ == nullptr) return false;
  file_ = pf::OpenFileForAccess(path, pf::kGenericRead);
  if (file_ == nullptr) return false;
  stream_.next_in = input_.get();
  stream_.avail_in = 0;
  // Two bytes decide: a gzip stream, or the file as it stands.
  while (stream_.avail_in < 2 && Fill()) {
  }
  compressed_ = stream_.avail_in >= 2 && input_[0] == 0x1F && input_[1] == 0x8B;
  if (compressed_) {
    if (inflateInit2(&stream_, kGzipWindow) != Z_OK) return false;
    inflating_ = true;
  }
  return true;
}

bool ArchiveReader::Fill() {
  if (endOfFile_) return false;
  // What is left moves to the front; the rest of the block takes new bytes.
  unsigned char* const start = input_.get();
  if (stream_.avail_in > 0 && stream_.next_in != start) {
    for (uInt i = 0; i < stream_.avail_in; ++i) start[i] = stream_.next_in[i];
  }
  stream_.next_in = start;
  uint32_t got = 0;
  if (!pf::Get().files->ReadFile(file_, start + stream_.avail_in, kInputBlock - stream_.avail_in, &got)) {
    failed_ = true;
  }
  stream_.avail_in += got;
  if (got == 0) endOfFile_ = true;
  return got > 0;
}

int ArchiveReader::Read(void* buffer, uint32_t count) {
  if (failed_) return -1;
  if (ended_ || count == 0) return 0;
  auto* out = static_cast<unsigned char*>(buffer);
  const int got = compressed_ ? Inflate(out, count) : Copy(out, count);
  // Whatever came out whole goes to the caller first; the failure shows at the next read.
  return got == 0 && failed_ ? -1 : got;
}

int ArchiveReader::Copy(unsigned char* out, uint32_t count) {
  uint32_t done = 0;
  while (done < count) {
    if (stream_.avail_in == 0 && !Fill()) {
      ended_ = true;
      break;
    }
    uint32_t take = count - done < stream_.avail_in ? count - done : stream_.avail_in;
    for (uint32_t i = 0; i < take; ++i) out[done + i] = stream_.next_in[i];
    stream_.next_in += take;
    stream_.avail_in -= take;
    done += take;
  }
  return static_cast<int>(done);
}

int ArchiveReader::Inflate(unsigned char* out, uint32_t count) {
  stream_.next_out = out;
  stream_.avail_out = count;
  while (stream_.avail_out > 0 && !ended_ && !failed_) {
    // At the end of the file inflate may still hold output to give, so it is asked once more.
    if (stream_.avail_in == 0) Fill();
    if (failed_) break;
    const int status = inflate(&stream_, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      ended_ = !NextMember();
    } else if (status == Z_BUF_ERROR) {
      failed_ = endOfFile_;  // no progress without more input: the file ends inside a member
    } else if (status != Z_OK) {
      failed_ = true;  // damaged data, or no memory
    }
  }
  return static_cast<int>(count - stream_.avail_out);
}

bool ArchiveReader::NextMember() {
  while (stream_.avail_in < 2 && Fill()) {
  }
  if (stream_.avail_in < 2 || stream_.next_in[0] != 0x1F || stream_.next_in[1] != 0x8B) return false;
  return inflateReset(&stream_) == Z_OK;
}

}  // namespace orvinta::files
