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

  // MultiByteToWideChar / WideCharToMultiByte in the ANSI code page (CP_ACP), flags 0. A
  // source length of -1 converts through the terminating zero. With capacity 0 they return the
  // size needed; otherwise the units (bytes) written, 0 on failure (last error 122 when the
  // destination is too small).
  virtual int MultiByteToWideChar(const char* source, int sourceLength, char16_t* destination, int capacity) = 0;
  // A character the code page lacks becomes its default character ("?"); bytes that are no
  // character of the code page become U+FFFD.
  virtual int WideCharToMultiByte(const char16_t* source, int sourceLength, char* destination, int capacity) = 0;

  // _wcsicmp: compares two zero-terminated texts without regard to case, the platform's way
  // (its runtime's default locale folds the letters A to Z); <0, 0 or >0.
  virtual int CompareNoCase(const char16_t* a, const char16_t* b) = 0;
};

}  // namespace orvinta::platform
