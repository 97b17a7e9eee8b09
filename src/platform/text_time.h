// Text, time and system message services.
//
// Contract: each call writes a zero-terminated UTF-16 text into the caller's buffer and never
// past `capacity` code units. A text that does not fit is a failure (nothing usable written),
// as with the Win32 calls.
#pragma once
#include <cstdint>

namespace orvinta::platform {

class TextTime {
 public:
  virtual ~TextTime() = default;

  // GetTimeFormatW / GetDateFormatW (short date format) for now, in the user's default format.
  // Return the number of code units written including the terminator, 0 on failure.
  virtual int FormatTime(char16_t* buffer, int capacity) = 0;
  virtual int FormatDate(char16_t* buffer, int capacity) = 0;

  // FormatMessageW(FROM_SYSTEM | IGNORE_INSERTS) for `code`, language 0. Returns the length
  // without terminator; 0 when the platform has no text for the number. A text longer than
  // the buffer is cut to fit.
  virtual uint32_t FormatSystemMessage(uint32_t code, char16_t* buffer, uint32_t capacity) = 0;
};

}  // namespace orvinta::platform
