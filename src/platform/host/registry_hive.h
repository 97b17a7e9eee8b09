// The hive's text and the change log's text: a strict reader and a writer of their own.
//
// The hive is UTF-8 text in the shape of a registry script, so a person can read and diff it
// (docs/host-device.md describes it in full):
//
//   Orvinta registry hive 1
//   [HKEY_LOCAL_MACHINE\Software\Test]
//   "Name"="text"            REG_SZ; in quotes \\, \" and \xHHHH are escapes
//   "Count"=dword:0000001f   REG_DWORD of 4 bytes
//   "Data"=hex:01,02,\       REG_BINARY; long lists continue on lines indented by two blanks
//     03
//   "Path"=str(2):"%x%"      a string of another type (2, 21)
//   "List"=multi_sz:"a","b"  REG_MULTI_SZ
//   "Raw"=hex(1):61,00       any type number, any bytes: what the other forms cannot state
//   ; end of hive
//
// Every value round-trips bit-exact. The reader accepts nothing else: no registry-script
// leniency, a missing end line (a truncated file) or bytes that are not UTF-8 are errors.
//
// The change log beside the hive holds the changes that are not yet in it, one record per
// committed command, in the same forms and read by the same reader:
//
//   Orvinta registry log 1
//   [HKEY_CURRENT_USER\Software\Test]   creates the key (and those above it) or opens it
//   "Name"="text"                       sets a value
//   "Old"=-                             deletes a value (@=- the default value)
//   [-HKEY_CURRENT_USER\Software\Gone]  deletes a key and everything below it
//   ; end of change                     the record is whole
//
// A key or value may appear any number of times; each line takes effect in order, so reading a
// log again over a hive that already holds it changes nothing.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/host/hive.h"

namespace orvinta::platform::host {

struct HiveParseError {
  size_t line = 0;  // 1-based; 0 when the whole text is at fault
  std::string reason;
};

class TextReader;

// Reads a hive text as it comes, in pieces of any size (a file read in blocks is never held whole).
class HiveTextReader {
 public:
  HiveTextReader(Hive& hive, HiveParseError& error);
  ~HiveTextReader();
  bool Feed(std::string_view piece);  // false at the first fault (`error` says which)
  bool Finish();                      // the text ended

 private:
  std::unique_ptr<TextReader> reader_;
  std::string partial_;  // the unfinished line of the last piece
};

// Reads a whole hive text; false (and `error`) when it is not exactly what WriteHive writes.
bool ParseHive(std::string_view text, Hive& hive, HiveParseError& error);

// What reading a change log found.
struct LogRead {
  size_t wholeBytes = 0;    // the whole records (and the header), from the start of the text
  size_t wholeLines = 0;    // the lines they take
  bool unfinished = false;  // more follows them: a record being written, or cut short by a crash
};

// Applies the whole records of a change log's text to the hive (none: only checks them).
// `fromStart`: the text is the file's (its first line must be the header); otherwise it goes on
// from a record's end, on line `firstLine`. A record not followed by "; end of change" is not
// applied, but its lines so far must be well-formed: anything else is a log this program cannot
// read (false).
bool ReadLog(std::string_view text, bool fromStart, size_t firstLine, Hive* hive, LogRead& read,
             HiveParseError& error);

// Where written text goes; false stops the writing.
class TextSink {
 public:
  virtual bool Write(std::string_view text) = 0;

 protected:
  ~TextSink() = default;
};

// Writes the hive as text, in pieces of about 256 KiB; false when the sink refused one.
bool WriteHive(const Hive& hive, TextSink& sink);
std::string WriteHive(const Hive& hive);

// The lines of a change log.
inline constexpr std::string_view kLogHeader =
    "Orvinta registry log 1\n"
    "; Changes not yet folded into the hive beside this file, oldest first, one record per command:\n"
    "; [key] creates or opens a key, [-key] deletes one with its subkeys, \"name\"=- deletes a value.\n";
inline constexpr std::string_view kLogRecordEnd = "; end of change\n";
void AppendLogKey(std::string& out, const Hive& hive, KeyId key);          // [path]
void AppendLogKeyDeletion(std::string& out, const Hive& hive, KeyId key);  // [-path]
void AppendLogValue(std::string& out, const HiveValue& value);
void AppendLogValueDeletion(std::string& out, std::u16string_view name);

}  // namespace orvinta::platform::host
