// Text rules shared by every room. All work on zero-terminated UTF-16 texts, code unit by code
// unit; case_rules.h says which case rule serves what.
#pragma once
#include <cstddef>

#include "base/case_rules.h"

namespace orvinta::base {

// Zero-terminated length.
size_t TextLength(const char16_t* text);

// Leading code units in which a and b are equal; stops at the end of a or the first difference.
// Keywords and root-key names match this way: exactly, case included.
size_t CommonPrefixLength(const char16_t* a, const char16_t* b);

// First occurrence of pattern in text under SameNoCase, or nullptr. An empty text contains
// nothing; an empty pattern is found at the start of a non-empty text.
const char16_t* FindNoCase(const char16_t* text, const char16_t* pattern);

// Leading code units of a that match b under SameNoCase. Stops at the end of a or at the first
// mismatch; past its end b reads as zeros, which only a blank (32) of a matches.
size_t PrefixLengthNoCase(const char16_t* a, const char16_t* b);

constexpr bool IsBlankOrTab(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace orvinta::base
