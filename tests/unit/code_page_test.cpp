// The host's ANSI code page: conversions in 1252, 936 and UTF-8 as Windows converts.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/device_files.h"

namespace orvinta {
namespace {

namespace pf = platform;

std::u16string ToWide(std::string_view bytes) {
  std::string source(bytes);
  int needed = pf::Get().text->MultiByteToWideChar(source.c_str(), -1, nullptr, 0);
  std::u16string out(static_cast<size_t>(needed), u'\0');
  int written = pf::Get().text->MultiByteToWideChar(source.c_str(), -1, out.data(), needed);
  EXPECT_EQ(written, needed) << "the size asked for is the size written";
  if (!out.empty()) out.pop_back();  // the terminator
  return out;
}

std::string ToAnsi(std::u16string_view text) {
  std::u16string source(text);
  int needed = pf::Get().text->WideCharToMultiByte(source.c_str(), -1, nullptr, 0);
  std::string out(static_cast<size_t>(needed), '\0');
  EXPECT_EQ(pf::Get().text->WideCharToMultiByte(source.c_str(), -1, out.data(), needed), needed);
  if (!out.empty()) out.pop_back();
  return out;
}

TEST(HostCodePage, AnsiBytesBecomeUtf16InTheCodePageInForce) {
  struct Case {
    uint32_t codePage;
    std::string_view bytes;
    std::u16string_view text;
  } cases[] = {
      {1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D"},  // the undefined bytes, as Windows maps them
      {936, "a\xD6", u"a\uFFFD"},  // a lead byte cut off at the end
      {936, "\x81\x40@\x81\x7E\r\n\xD6\xD0", u"\u4E02@\u4E8A\r\n\u4E2D"},  // trail bytes in the ASCII range
      {936, "\xD6\r\xD0", u"\uFFFD\r\uFFFD"},  // a control byte is never a trail byte
      {65001, "\xEF\xBB\xBF\xE4\xB8\xAD \xF0\x9F\x98\x80", u"\uFEFF\u4E2D \U0001F600"},
      {65001, "a\xFF" "b\xC3", u"a\uFFFDb\uFFFD"},
  };
  for (const Case& c : cases) {
    test::ScopedCodePage page(c.codePage);
    EXPECT_EQ(ToWide(c.bytes), c.text) << c.codePage << " " << testing::PrintToString(std::string(c.bytes));
  }
}

TEST(HostCodePage, Utf16BecomesAnsiWithAQuestionMarkForWhatTheCodePageLacks) {
  struct Case {
    uint32_t codePage;
    std::u16string_view text;
    std::string_view bytes;
  } cases[] = {
      {1252, u"\u20AC\u4E2D!", "\x80?!"},
      {936, u"\u4E2D\u6587.tar", "\xD6\xD0\xCE\xC4.tar"},
      {65001, u"\u00E9\U0001F600", "\xC3\xA9\xF0\x9F\x98\x80"},
      {65001, u"a\xD800" "b", "a\xEF\xBF\xBD" "b"},
  };
  for (const Case& c : cases) {
    test::ScopedCodePage page(c.codePage);
    EXPECT_EQ(ToAnsi(c.text), c.bytes) << c.codePage;
  }
}

TEST(HostCodePage, ATooSmallDestinationFailsWithInsufficientBuffer) {
  test::ScopedCodePage page(1252);
  char16_t wide[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_EQ(pf::Get().text->MultiByteToWideChar("abcdef", -1, wide, 4), 0);
  EXPECT_EQ(pf::Get().files->GetLastError(), win::kErrorInsufficientBuffer);
  char narrow[3];
  EXPECT_EQ(pf::Get().text->WideCharToMultiByte(u"abc", -1, narrow, 3), 0);
  EXPECT_EQ(pf::Get().files->GetLastError(), win::kErrorInsufficientBuffer);
  EXPECT_EQ(pf::Get().text->MultiByteToWideChar("abc", 2, wide, 4), 2) << "an explicit length adds no terminator";
  EXPECT_EQ(pf::Get().text->MultiByteToWideChar("abc", 0, wide, 4), 0);
  EXPECT_EQ(pf::Get().files->GetLastError(), win::kErrorInvalidParameter);
}

TEST(HostCodePage, CompareNoCaseFoldsOnlyAsciiLetters) {
  struct Case {
    std::u16string_view a, b;
    int sign;
  } cases[] = {
      {u"ABC", u"abc", 0}, {u"b", u"A", 1}, {u"abc", u"ab", 1}, {u"\u00C9", u"\u00E9", -1}, {u"[", u"{", -1},
  };
  for (const Case& c : cases) {
    std::u16string a(c.a), b(c.b);
    int result = pf::Get().text->CompareNoCase(a.c_str(), b.c_str());
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << testing::PrintToString(a) << " " << testing::PrintToString(b);
  }
}

}  // namespace
}  // namespace orvinta
