// How the host splits a command line into a program's arguments: the Windows rules.
#include "platform/command_line_words.h"

#include <gtest/gtest.h>

namespace orvinta::platform {
namespace {

TEST(CommandLineWords, SplitsAsTheWindowsRuntimeDoes) {
  const std::pair<const char16_t*, std::vector<std::u16string>> cases[] = {
      {u"", {}},
      {u"  \t ", {}},
      {u"one two\tthree", {u"one", u"two", u"three"}},
      {u"  padded  ", {u"padded"}},
      {u"\"two words\" x", {u"two words", u"x"}},
      {u"a\"b c\"d", {u"ab cd"}},
      {u"\"\"", {u""}},
      {u"\"\" x", {u"", u"x"}},
      {u"\"a\"\"b\"", {u"a\"b"}},           // a doubled quote inside quotes is one quote
      {u"\\\\server\\share", {u"\\\\server\\share"}},  // backslashes alone are literal
      {u"a\\\"b", {u"a\"b"}},               // 1 backslash + quote: a literal quote
      {u"a\\\\\"b c\"", {u"a\\b c"}},       // 2 backslashes + quote: one backslash, quote opens
      {u"a\\\\\\\"b", {u"a\\\"b"}},         // 3 backslashes + quote
      {u"\"C:\\Program Files\\\"", {u"C:\\Program Files\""}},
      {u"a\x01" u"b c", {u"a\x01" u"b", u"c"}},  // the argument separator is an ordinary unit
      {u"\"unclosed quote", {u"unclosed quote"}},
  };
  for (const auto& [line, words] : cases) EXPECT_EQ(CommandLineWords(line), words);
}

}  // namespace
}  // namespace orvinta::platform
