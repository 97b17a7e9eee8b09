// The host's ANSI code page: what CP_ACP means for the text conversions.
//
// ORVINTA_CODEPAGE names it by number (1252, 936, 65001, ... any code page that iconv knows as
// "CP<number>"); without it, the character set of the user's locale is taken, UTF-8 (65001) on
// a modern system, and the plain "C" locale counts as UTF-8 too. A number that iconv does not
// know gets a message on stderr and the default.
#pragma once
#include <cstdint>

namespace orvinta::platform::host {

// The number of the code page in force (0 for a locale character set that has none).
uint32_t AnsiCodePage();

// Puts another code page in force (tests convert in several in one process); false, and no
// change, when iconv does not know it.
bool SelectAnsiCodePage(uint32_t number);

// MultiByteToWideChar / WideCharToMultiByte semantics (see platform/text_time.h). On failure
// they return 0 and set *error to the Win32 code.
int AnsiToUtf16(const char* source, int sourceLength, char16_t* destination, int capacity, uint32_t* error);
// AnsiToUtf16 with every byte handed to iconv, ASCII runs included: the plain conversion that
// tests and the fuzz target hold the fast path against.
int AnsiToUtf16ThroughIconv(const char* source, int sourceLength, char16_t* destination, int capacity,
                            uint32_t* error);
int Utf16ToAnsi(const char16_t* source, int sourceLength, char* destination, int capacity, uint32_t* error);

}  // namespace orvinta::platform::host
