// The help page as plain text, for a platform without an HTML view of its own (the host's HELP,
// and the Windows help window where the viewer class is missing).
//
// The page is the program's own resource, so the renderer knows only what the page uses:
// headings, paragraphs, line breaks, lists, table rows and cells, links and their anchors, and
// the entities &lt; &gt; &amp; &quot; &nbsp; &#N;. What sits in <head> (the title, the style
// sheet) is not shown. Anything else is read as text, so a damaged page still gives its words.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::platform {

struct HelpAnchor {
  std::u16string name;
  size_t line;  // the line of the text where the anchor stands, from 0
};

struct HelpLink {
  std::u16string target;  // the anchor's name, without "#"
  size_t line;
};

struct HelpText {
  std::u16string text;  // lines end in "\n"
  std::vector<HelpAnchor> anchors;
  std::vector<HelpLink> links;
};

HelpText RenderHelpText(std::u16string_view html);

}  // namespace orvinta::platform
