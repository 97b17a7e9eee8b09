#include "platform/command_line_words.h"

namespace orvinta::platform {

std::vector<std::u16string> CommandLineWords(std::u16string_view line) {
  std::vector<std::u16string> words;
  size_t i = 0;
  const size_t n = line.size();
  auto isBlank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  for (;;) {
    while (i < n && isBlank(line[i])) ++i;
    if (i == n) break;
    std::u16string word;
    bool quoted = false;
    while (i < n && (quoted || !isBlank(line[i]))) {
      if (line[i] == u'\\') {
        size_t backslashes = 0;
        while (i < n && line[i] == u'\\') ++backslashes, ++i;
        if (i < n && line[i] == u'"') {
          word.append(backslashes / 2, u'\\');
          if (backslashes % 2 == 1) {
            word += u'"';
            ++i;
          }
          // An even run leaves the quote to the code below.
        } else {
          word.append(backslashes, u'\\');
        }
        continue;
      }
      if (line[i] == u'"') {
        if (quoted && i + 1 < n && line[i + 1] == u'"') {
          word += u'"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

}  // namespace orvinta::platform
