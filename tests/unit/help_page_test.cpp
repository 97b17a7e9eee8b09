// The help page: the renderer that shows it as text, and the page itself as the program
// carries it (its anchors, links and declared character set).
#include <gtest/gtest.h>

#include <string>

#include "base/utf8.h"
#include "platform/help_text.h"
#include "platform/platform.h"
#include "platform/shell.h"
#include "support/services.h"

namespace orvinta::test {
namespace {

TEST(HelpText, RendersWhatThePageUses) {
  struct Case {
    std::u16string_view html;
    std::u16string_view text;
  } cases[] = {
      {u"<head><title>T</title><style>h5 { x }</style></head><p>a  b\n c</p>", u"a b c\n"},
      {u"<h5><a name=\"X\">1. One</a></h5><p>t</p>", u"\u30101. One\u3011\n\nt\n"},
      {u"<h6>LOAD</h6><p>x</p>", u"\u25C6 LOAD\n\nx\n"},
      {u"<ol><li>a</li><li>b</li></ol><ul><li>c</li></ul>", u"  1. a\n  2. b\n\n  \u00B7 c\n"},
      {u"<table><tr><td>%E</td><td>path</td></tr><tr><td>%x</td></tr></table>", u"%E  path\n%x\n"},
      {u"a<br>b &lt;&gt;&amp;&quot;&#20320;&#x597D; &bogus; &", u"a\nb <>&\"\u4F60\u597D &bogus; &\n"},
      {u"<!-- <p>hidden</p> -->shown<p", u"shown\n"},  // a tag cut off ends the page
      {u"<P>Upper</P><BR>", u"Upper\n"},  // no empty line at the end
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pf::RenderHelpText(c.html).text, c.text) << base::Utf16ToUtf8(c.html);
  }
}

TEST(HelpText, KeepsAnchorsAndLinksByLine) {
  pf::HelpText page = pf::RenderHelpText(
      u"<h3><a name=Catalog>T</a></h3><p><a href=\"#Usage\">u</a></p><p><a name='Usage'>U</a></p>");
  ASSERT_EQ(page.anchors.size(), 2u);
  EXPECT_EQ(page.anchors[0].name, u"Catalog");
  EXPECT_EQ(page.anchors[1].name, u"Usage");
  EXPECT_EQ(page.anchors[1].line, 4u);  // "T", "", "u", "", "U"
  ASSERT_EQ(page.links.size(), 1u);
  EXPECT_EQ(page.links[0].target, u"Usage");
  EXPECT_EQ(page.links[0].line, 2u);
}

// The page as the host program carries it: GB2312 declared, the nine sections, an anchor per
// keyword, and every link of the contents and the index landing on an anchor.
TEST(HelpPage, HasItsSectionsAndAnAnchorPerKeyword) {
  pf::ResourceBytes page{};
  ASSERT_TRUE(pf::Get().processes->FindResourceData(u"help", pf::kRtHtml, &page));
  std::string bytes(static_cast<const char*>(page.data), page.size);
  EXPECT_NE(bytes.find("charset=gb2312"), std::string::npos);
  EXPECT_EQ(bytes.find("\xE5\x91\xBD"), std::string::npos) << "stored as UTF-8, not GB2312";
  // ASCII passes GB2312 unchanged, so the anchors can be read from the bytes as they are.
  std::u16string ascii;
  for (unsigned char c : bytes) ascii += c < 0x80 ? static_cast<char16_t>(c) : u'?';
  pf::HelpText text = pf::RenderHelpText(ascii);
  std::set<std::u16string> anchors;
  for (const pf::HelpAnchor& anchor : text.anchors) anchors.insert(anchor.name);
  for (const char16_t* name : {u"Catalog", u"Introduction", u"Feature", u"Installation", u"Usage", u"Menu",
                               u"Command", u"Tips", u"License", u"Donation", u"LOAD", u"BATC", u"IFEX", u"ELSE",
                               u"CALL", u"GOTO", u"PROC", u"ENDP", u"EVAL", u"MSGX", u"DLGX", u"PLAY", u"BEEP",
                               u"FILE", u"LINK", u"TGZX", u"REGX", u"ASOC", u"EXEC", u"CDLL", u"KILL", u"SEND",
                               u"WAIT", u"SHUT", u"OVUI", u"HELP"}) {
    EXPECT_TRUE(anchors.count(name)) << base::Utf16ToUtf8(name);
  }
  EXPECT_EQ(anchors.size(), 36u);
  EXPECT_GE(text.links.size(), 9u + 26u + 9u);  // contents, index, and a way back per section
  for (const pf::HelpLink& link : text.links) EXPECT_TRUE(anchors.count(link.target)) << base::Utf16ToUtf8(link.target);
}

}  // namespace
}  // namespace orvinta::test
