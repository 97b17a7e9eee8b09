// A parsed XML document, as the configuration manager's stand-in reads it: elements with their
// attributes in document order. Character data is not kept; an element only notes whether it
// held any that is not blank, which no provisioning element may.
//
// ParseXmlTree is the platform's XML parser (expat on the host, the system's XmlLite on
// Windows, looked up at run time). Both are set up alike so that both programs accept the same
// documents: no document type declaration at all (so no entity but the five predefined ones and
// character references, and nothing ever fetched or read from outside), no more than
// kMaxXmlDepth nested elements, no lone surrogate. Names are taken as written, namespaces
// unprocessed.
#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvinta::platform {

inline constexpr size_t kMaxXmlDepth = 32;

struct XmlElement {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> attributes;
  std::vector<XmlElement> children;
  bool hasText = false;  // character data other than blanks, tabs and line ends

  // The attribute's value, or null when the element has none by that exact name.
  const std::u16string* Attribute(std::u16string_view attributeName) const {
    for (const auto& [key, value] : attributes) {
      if (key == attributeName) return &value;
    }
    return nullptr;
  }
};

// True and the document's root element in `root` when the text is a well-formed document that
// the rules above allow; false otherwise (and `root` unspecified).
bool ParseXmlTree(std::u16string_view document, XmlElement& root);

// The part both backends share: a stack of open elements that the parser's events build.
class XmlTreeBuilder {
 public:
  explicit XmlTreeBuilder(XmlElement& root) : root_(root) {}

  // False when the element would nest too deep.
  bool Open(std::u16string name) {
    if (open_.size() >= kMaxXmlDepth) return false;
    XmlElement* element = &root_;
    if (!open_.empty()) element = &open_.back()->children.emplace_back();
    element->name = std::move(name);
    open_.push_back(element);
    return true;
  }
  void Attribute(std::u16string name, std::u16string value) {
    open_.back()->attributes.emplace_back(std::move(name), std::move(value));
  }
  void Close() { open_.pop_back(); }
  void Text(std::u16string_view text) {
    if (open_.empty()) return;
    for (char16_t c : text) {
      if (c != u' ' && c != u'\t' && c != u'\r' && c != u'\n') open_.back()->hasText = true;
    }
  }
  bool Finished() const { return open_.empty(); }

 private:
  XmlElement& root_;
  std::vector<XmlElement*> open_;  // each one's parent holds it and grows no more while it is open
};

}  // namespace orvinta::platform
