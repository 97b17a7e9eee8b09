// On Windows, wchar_t and char16_t are both UTF-16 code units: texts cross as they are.
#pragma once

namespace orvinta::platform::win32 {

inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline char16_t* Utf16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }

}  // namespace orvinta::platform::win32
