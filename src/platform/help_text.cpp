#include "platform/help_text.h"

#include "base/number.h"

namespace orvinta::platform {

namespace {

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f'; }

char16_t AsciiLowerUnit(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool SameAscii(std::u16string_view a, std::u16string_view lower) {
  if (a.size() != lower.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiLowerUnit(a[i]) != lower[i]) return false;
  }
  return true;
}

// One tag, as far as the renderer looks at it.
struct Tag {
  std::u16string_view name;  // without "/"
  bool closing = false;
  std::u16string_view nameAttribute;  // <a name="...">
  std::u16string_view href;           // <a href="...">
};

// Reads the value of attribute `wanted` inside the tag's text (after its name).
std::u16string_view Attribute(std::u16string_view body, std::u16string_view wanted) {
  size_t i = 0;
  while (i < body.size()) {
    while (i < body.size() && (IsSpace(body[i]) || body[i] == u'/')) ++i;
    size_t nameStart = i;
    while (i < body.size() && !IsSpace(body[i]) && body[i] != u'=' && body[i] != u'/') ++i;
    std::u16string_view name = body.substr(nameStart, i - nameStart);
    if (name.empty() && i < body.size()) ++i;  // a stray "=": step over it
    while (i < body.size() && IsSpace(body[i])) ++i;
    std::u16string_view value;
    if (i < body.size() && body[i] == u'=') {
      ++i;
      while (i < body.size() && IsSpace(body[i])) ++i;
      if (i < body.size() && (body[i] == u'"' || body[i] == u'\'')) {
        char16_t quote = body[i++];
        size_t start = i;
        while (i < body.size() && body[i] != quote) ++i;
        value = body.substr(start, i - start);
        if (i < body.size()) ++i;
      } else {
        size_t start = i;
        while (i < body.size() && !IsSpace(body[i])) ++i;
        value = body.substr(start, i - start);
      }
    }
    if (!name.empty() && SameAscii(name, wanted)) return value;
  }
  return {};
}

Tag ParseTag(std::u16string_view inside) {
  Tag tag;
  size_t i = 0;
  if (i < inside.size() && inside[i] == u'/') {
    tag.closing = true;
    ++i;
  }
  size_t start = i;
  while (i < inside.size() && !IsSpace(inside[i]) && inside[i] != u'/') ++i;
  tag.name = inside.substr(start, i - start);
  std::u16string_view body = inside.substr(i);
  if (!tag.closing && SameAscii(tag.name, u"a")) {
    tag.nameAttribute = Attribute(body, u"name");
    tag.href = Attribute(body, u"href");
  }
  return tag;
}

class Writer {
 public:
  explicit Writer(HelpText& result) : result_(result) {}

  void Text(char16_t c) {
    if (IsSpace(c)) {
      pendingSpace_ = true;
      return;
    }
    if (pendingSpace_ && !AtLineStart()) result_.text += u' ';
    pendingSpace_ = false;
    if (AtLineStart()) result_.text += indent_;
    result_.text += c;
  }
  void Literal(std::u16string_view text) {
    for (char16_t c : text) Text(c);
  }
  // Text that keeps its blanks (a list item's indent and bullet), at the start of a line.
  void Raw(std::u16string_view text) {
    pendingSpace_ = false;
    result_.text += text;
  }
  // Ends the current line, if it holds anything.
  void Break() {
    pendingSpace_ = false;
    if (!AtLineStart()) NewLine();
  }
  // Ends the current line and leaves one empty line (never two, never at the top).
  void Paragraph() {
    Break();
    if (!result_.text.empty() && !EndsWithEmptyLine()) NewLine();
  }
  void LineBreak() {
    pendingSpace_ = false;
    NewLine();
  }
  // A cell after the first one of a row keeps its distance.
  void CellGap() {
    if (!AtLineStart()) result_.text += u"  ";
    pendingSpace_ = false;
  }
  void SetIndent(std::u16string_view indent) { indent_ = indent; }
  size_t Line() const { return lines_; }

 private:
  bool AtLineStart() const { return result_.text.empty() || result_.text.back() == u'\n'; }
  bool EndsWithEmptyLine() const {
    size_t n = result_.text.size();
    return n >= 2 && result_.text[n - 1] == u'\n' && result_.text[n - 2] == u'\n';
  }
  void NewLine() {
    result_.text += u'\n';
    ++lines_;
  }

  HelpText& result_;
  bool pendingSpace_ = false;
  size_t lines_ = 0;
  std::u16string_view indent_;
};

// &name; and &#N; (decimal) or &#xN; (hexadecimal). Returns the units consumed, 0 when the
// text at `i` is no entity the renderer knows (then the "&" is shown as it is).
size_t Entity(std::u16string_view html, size_t i, char16_t* unit) {
  size_t end = html.find(u';', i);
  if (end == std::u16string_view::npos || end - i > 10) return 0;
  std::u16string_view name = html.substr(i + 1, end - i - 1);
  if (name == u"lt") *unit = u'<';
  else if (name == u"gt") *unit = u'>';
  else if (name == u"amp") *unit = u'&';
  else if (name == u"quot") *unit = u'"';
  else if (name == u"nbsp") *unit = u'\u00A0';
  else if (name.size() >= 2 && name[0] == u'#') {
    uint32_t value = 0;
    bool hex = name[1] == u'x' || name[1] == u'X';
    for (size_t k = hex ? 2 : 1; k < name.size(); ++k) {
      char16_t c = name[k];
      int digit = c >= u'0' && c <= u'9' ? c - u'0'
                  : hex && c >= u'a' && c <= u'f' ? c - u'a' + 10
                  : hex && c >= u'A' && c <= u'F' ? c - u'A' + 10
                                                  : -1;
      if (digit < 0 || value > 0xFFFF) return 0;
      value = value * (hex ? 16 : 10) + static_cast<uint32_t>(digit);
    }
    if (value == 0 || value > 0xFFFF) return 0;
    *unit = static_cast<char16_t>(value);
  } else {
    return 0;
  }
  return end - i + 1;
}

}  // namespace

HelpText RenderHelpText(std::u16string_view html) {
  HelpText result;
  Writer out(result);
  int hidden = 0;           // inside <head>, <style>, <title> or <script>
  int listDepth = 0;
  int orderedNumber[8] = {};
  bool ordered[8] = {};
  bool firstCell = true;
  size_t i = 0;
  while (i < html.size()) {
    char16_t c = html[i];
    if (c == u'<') {
      if (html.substr(i, 4) == u"<!--") {
        size_t end = html.find(u"-->", i + 4);
        i = end == std::u16string_view::npos ? html.size() : end + 3;
        continue;
      }
      size_t end = html.find(u'>', i + 1);
      if (end == std::u16string_view::npos) break;  // a tag cut off: nothing more to show
      Tag tag = ParseTag(html.substr(i + 1, end - i - 1));
      i = end + 1;
      auto is = [&](std::u16string_view name) { return SameAscii(tag.name, name); };
      if (is(u"head") || is(u"style") || is(u"title") || is(u"script")) {
        hidden += tag.closing ? (hidden > 0 ? -1 : 0) : 1;
        continue;
      }
      if (hidden > 0) continue;
      if (is(u"br")) {
        out.LineBreak();
      } else if (is(u"p") || is(u"table") || is(u"h1") || is(u"h2") || is(u"h3") || is(u"h4")) {
        out.Paragraph();
      } else if (is(u"h5") || is(u"h6")) {
        // Section headings in brackets, command headings behind a diamond.
        if (!tag.closing) {
          out.Paragraph();
          out.Literal(is(u"h5") ? u"\u3010" : u"\u25C6 ");
        } else {
          if (is(u"h5")) result.text += u'\u3011';
          out.Break();
        }
      } else if (is(u"ul") || is(u"ol")) {
        out.Break();
        if (!tag.closing && listDepth < 8) {
          ordered[listDepth] = is(u"ol");
          orderedNumber[listDepth] = 0;
          ++listDepth;
        } else if (tag.closing && listDepth > 0) {
          --listDepth;
        }
        if (tag.closing && listDepth == 0) out.Paragraph();
      } else if (is(u"li")) {
        out.Break();
        if (!tag.closing) {
          int level = listDepth > 0 ? listDepth - 1 : 0;
          std::u16string bullet(static_cast<size_t>(level) * 2 + 2, u' ');
          if (listDepth > 0 && ordered[level]) {
            char16_t digits[16];
            char16_t* digitsEnd = base::FormatDecimal(digits, ++orderedNumber[level]);
            bullet.append(digits, static_cast<size_t>(digitsEnd - digits));
            bullet += u". ";
          } else {
            bullet += u"\u00B7 ";
          }
          out.Raw(bullet);
        }
      } else if (is(u"tr")) {
        out.Break();
        firstCell = true;
      } else if ((is(u"td") || is(u"th")) && !tag.closing) {
        if (!firstCell) out.CellGap();
        firstCell = false;
      } else if (is(u"div")) {
        out.Break();
      } else if (is(u"a") && !tag.closing) {
        if (!tag.nameAttribute.empty()) result.anchors.push_back({std::u16string(tag.nameAttribute), out.Line()});
        if (tag.href.size() > 1 && tag.href[0] == u'#') {
          result.links.push_back({std::u16string(tag.href.substr(1)), out.Line()});
        }
      }
      continue;
    }
    ++i;
    if (hidden > 0) continue;
    if (c == u'&') {
      char16_t unit = 0;
      size_t used = Entity(html, i - 1, &unit);
      if (used > 0) {
        i += used - 1;
        if (unit == u'\u00A0') {
          out.Literal(u"\u00A0");
        } else {
          out.Text(unit);
        }
        continue;
      }
    }
    out.Text(c);
  }
  out.Break();
  // The page's last paragraph leaves no empty line behind it.
  while (result.text.size() >= 2 && result.text.ends_with(u"\n\n")) result.text.pop_back();
  return result;
}

}  // namespace orvinta::platform
