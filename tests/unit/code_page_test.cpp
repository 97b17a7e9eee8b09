// The host's ANSI code page: conversions in 1252, 936 and UTF-8 as Windows converts.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/device_files.h"

namespace orvinta {
namespace {

namespace pf = platform;

// Each conversion asks for the size first, as callers do: the size asked for is the size written.
std::u16string ToWide(const std::string& bytes) {
  int needed = pf::Get().text->MultiByteToWideChar(bytes.c_str(), -1, nullptr, 0);
  std::u16string out(static_cast<size_t>(needed), u'\0');
  EXPECT_EQ(pf::Get().text->MultiByteToWideChar(bytes.c_str(), -1, out.data(), needed), needed);
  return out.substr(0, out.find(u'\0'));
}

std::string ToAnsi(const std::u16string& text) {
  int needed = pf::Get().text->WideCharToMultiByte(text.c_str(), -1, nullptr, 0);
  std::string out(static_cast<size_t>(needed), '\0');
  EXPECT_EQ(pf::Get().text->WideCharToMultiByte(text.c_str(), -1, out.data(), needed), needed);
  return out.substr(0, out.find('\0'));
}

TEST(HostCodePage, ConversionsInTheCodePageInForce) {
  enum Way { kToWide = 1, kToAnsi = 2, kBoth = 3 };
  struct Case {
    uint32_t codePage;
    std::string bytes;
    std::u16string text;
    Way way;
  } cases[] = {
      {1252, "\x81\x8D\x8F\x90\x9D", u"\u0081\u008D\u008F\u0090\u009D", kToWide},  // undefined bytes, as Windows maps them
      {1252, "\x80?!", u"\u20AC\u4E2D!", kToAnsi},  // "?" for what the code page lacks
      {936, "a\xD6", u"a\uFFFD", kToWide},        // a lead byte cut off at the end
      {936, "\x81\x40@\x81\x7E\r\n\xD6\xD0", u"\u4E02@\u4E8A\r\n\u4E2D", kBoth},  // trail bytes in the ASCII range
      {936, "\xD6\r\xD0", u"\uFFFD\r\uFFFD", kToWide},  // a control byte is never a trail byte
      {65001, "\xEF\xBB\xBF\xE4\xB8\xAD \xF0\x9F\x98\x80", u"\uFEFF\u4E2D \U0001F600", kBoth},
      {65001, "a\xFF" "b\xC3", u"a\uFFFDb\uFFFD", kToWide},
      {65001, "a\xEF\xBF\xBD" "b", u"a\xD800" "b", kToAnsi},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.codePage) + " " + testing::PrintToString(c.bytes));
    test::ScopedCodePage page(c.codePage);
    if (c.way & kToWide) {
      EXPECT_EQ(ToWide(c.bytes), c.text);
    }
    if (c.way & kToAnsi) {
      EXPECT_EQ(ToAnsi(c.text), c.bytes);
    }
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

}  // namespace
}  // namespace orvinta
