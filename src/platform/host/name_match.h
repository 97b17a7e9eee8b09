// How a search pattern's last component matches a name, as Windows matches it.
//
// Before matching, Windows rewrites the pattern: "?" matches one character but also nothing at
// a "." or at the end of the name ("a?.txt" finds "a.txt"); a "*" directly before a "." stops at
// the name's last "."; a "." before "*" or "?", and a "." that ends the pattern, also match the
// end of a name with no extension ("*." finds names without one, "a.*" finds "a"). "*.*" thus
// finds every name. Letters compare without regard to case.
#pragma once
#include <string_view>

namespace orvinta::platform::host {

bool NameMatches(std::u16string_view pattern, std::u16string_view name);

}  // namespace orvinta::platform::host
