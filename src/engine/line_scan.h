// The runner's scan: where the next unit that needs more than a copy stands.
#pragma once

namespace orvinta::engine {

// The first unit at or after `p` that is the terminator, CR, LF, "%" or ",". The text must be
// zero-terminated. The scan reads whole aligned blocks, so it may look at units behind the
// terminator inside the terminator's own block (never across a page or past that block).
const char16_t* FindLineSpecial(const char16_t* p);

// The same without ",": where a comment line stops being a plain copy.
const char16_t* FindLineEndOrMacro(const char16_t* p);

namespace scan_detail {
// The two ways of scanning, both always built so that tests can hold them against each other.
// FindLineSpecial and FindLineEndOrMacro use the first that the target has.
const char16_t* Sse2(const char16_t* p, bool commas);      // null where SSE2 is missing
const char16_t* Words(const char16_t* p, bool commas);     // eight bytes at a time
}  // namespace scan_detail

}  // namespace orvinta::engine
