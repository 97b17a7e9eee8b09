// The program's case rules, and what each one serves. There are exactly three:
//
//   SameNoCase  two code units are equal when they are the same or differ by exactly 32, so
//               letters match regardless of case and so do some other pairs ("." and "N").
//               The script's own rule: a keyword-less line's ".exe" / ".dll", KILL's name
//               prefixes, the registry importer's type keywords (FindNoCase and
//               PrefixLengthNoCase in text.h). Command keywords themselves match exactly.
//   AsciiLower  folds "A" to "Z" only: the C runtime's _wcsicmp in its default locale, which
//               IFEX's text comparisons use, and single-letter options such as SHUT's method.
//   NameUpper   Windows' ordinal upper-casing of names: file names and registry key and value
//               names are the same name when their upper-cased code units are equal, and a
//               folder lists its names in the order of those units (so "_" comes after the
//               letters). It covers the letters that have one-unit case pairs in Latin,
//               Greek, Cyrillic and the fullwidth forms; other units are their own upper case.
#pragma once

namespace orvinta::base {

constexpr bool SameNoCase(char16_t a, char16_t b) { return a == b || a - b == 32 || b - a == 32; }

constexpr char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

char16_t NameUpper(char16_t c);

// Ordinal comparison of two names under NameUpper: <0, 0 or >0.
int CompareNames(const char16_t* a, const char16_t* b);

}  // namespace orvinta::base
