#include "platform/host/name_match.h"

#include <string>
#include <vector>

#include "base/case_rules.h"

namespace orvinta::platform::host {

namespace {

// The pattern after Windows' rewriting: the three characters that only a pattern can hold.
enum : char16_t {
  kAnyRun = u'*',
  kRunToLastDot = 0xF001,   // "*" before "."
  kOneOrNone = 0xF002,      // "?"
  kDotOrEnd = 0xF003,       // "." before "*", "?" or the end
};

std::u16string Rewrite(std::u16string_view pattern) {
  std::u16string out(pattern);
  for (size_t i = 0; i < out.size(); ++i) {
    char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
    if (pattern[i] == u'?') {
      out[i] = kOneOrNone;
    } else if (pattern[i] == u'*' && next == u'.') {
      out[i] = kRunToLastDot;
    } else if (pattern[i] == u'.' && (next == u'*' || next == u'?' || next == 0)) {
      out[i] = kDotOrEnd;
    }
  }
  return out;
}

}  // namespace

bool NameMatches(std::u16string_view pattern, std::u16string_view name) {
  const std::u16string p = Rewrite(pattern);
  const size_t lastDot = name.rfind(u'.');  // npos when the name has none
  const size_t columns = name.size() + 1;
  // reach[i * columns + j]: the first i pattern units can match the first j name units.
  std::vector<char> reach((p.size() + 1) * columns, 0);
  reach[0] = 1;
  for (size_t i = 0; i < p.size(); ++i) {
    char* from = &reach[i * columns];
    char* to = &reach[(i + 1) * columns];
    for (size_t j = 0; j <= name.size(); ++j) {
      if (!from[j]) continue;
      const bool more = j < name.size();
      switch (p[i]) {
        case kAnyRun:
          for (size_t k = j; k <= name.size(); ++k) to[k] = 1;
          break;
        case kRunToLastDot:
          // Any run that does not take the name's last ".".
          for (size_t k = j; k <= name.size(); ++k) {
            to[k] = 1;
            if (k == lastDot) break;
          }
          break;
        case kOneOrNone:
          if (more && name[j] != u'.') {
            to[j + 1] = 1;
          } else {
            to[j] = 1;
          }
          break;
        case kDotOrEnd:
          if (more && name[j] == u'.') to[j + 1] = 1;
          if (!more) to[j] = 1;
          break;
        default:
          if (more && base::NameUpper(name[j]) == base::NameUpper(p[i])) to[j + 1] = 1;
          break;
      }
    }
  }
  return reach[p.size() * columns + name.size()] != 0;
}

}  // namespace orvinta::platform::host
