// Tar archives made block by block for tests, with every header field a test may need to spoil,
// and gzip members made with zlib.
#pragma once
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>

namespace orvinta::test {

// The size field: 11 octal digits and a zero, as GNU tar writes it.
inline std::string OctalSize(size_t size) {
  char field[13];
  std::snprintf(field, sizeof field, "%011zo", size);
  return std::string(field, 12);
}

struct TarHeader {
  std::string_view name;
  char type = '0';
  std::string size = OctalSize(0);  // the field's bytes as they stand
};

// One GNU header block; owner, times and checksum are left blank, as the extractor never reads them.
inline std::string Header(const TarHeader& h) {
  std::string block(512, '\0');
  block.replace(0, std::min<size_t>(h.name.size(), 100), h.name.substr(0, 100));
  block.replace(100, 8, std::string_view("0000644\0", 8));  // the mode, right after a full name
  block.replace(124, std::min<size_t>(h.size.size(), 12), h.size.substr(0, 12));
  block[156] = h.type;
  block.replace(257, 8, std::string_view("ustar  \0", 8));
  return block;
}

inline std::string Padded(std::string_view data) {
  std::string blocks(data);
  blocks.resize((data.size() + 511) / 512 * 512, '\0');
  return blocks;
}

inline std::string TarFile(std::string_view name, std::string_view data) {
  return Header({.name = name, .size = OctalSize(data.size())}) + Padded(data);
}

// A GNU long-name record ("L") for the entry after it.
inline std::string LongName(std::string_view name) {
  std::string text(name);
  text.push_back('\0');
  return Header({.name = "././@LongLink", .type = 'L', .size = OctalSize(text.size())}) + Padded(text);
}

inline std::string EndOfArchive() { return std::string(1024, '\0'); }

// One gzip member holding the bytes.
inline std::string Gzip(std::string_view data) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A gzip member whose compressed data are spoilt from the first byte on (a reserved block
// type): the reader fails on it only when it gets there, since it ends each member's decoding.
inline std::string SpoiltGzip(std::string_view data) {
  std::string member = Gzip(data);
  member[10] = '\xFF';
  return member;
}

}  // namespace orvinta::test
