// The XML parser on the host: expat, fed the document as UTF-8 with that encoding forced, so an
// encoding named in the XML declaration (the text is already UTF-16 here) does not matter.
#include "platform/xml_tree.h"

#include <expat.h>

#include <climits>
#include <string>

#include "base/utf8.h"

namespace orvinta::platform {

namespace {

struct ParseState {
  XML_Parser parser;
  XmlTreeBuilder builder;
  bool refused = false;

  void Refuse() {
    if (!refused) XML_StopParser(parser, XML_FALSE);
    refused = true;
  }
};

void XMLCALL StartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
  auto* state = static_cast<ParseState*>(data);
  if (state->refused) return;
  if (!state->builder.Open(base::Utf8ToUtf16(name))) return state->Refuse();
  for (const XML_Char** at = attributes; *at != nullptr; at += 2) {
    state->builder.Attribute(base::Utf8ToUtf16(at[0]), base::Utf8ToUtf16(at[1]));
  }
}

void XMLCALL EndElement(void* data, const XML_Char*) {
  auto* state = static_cast<ParseState*>(data);
  if (!state->refused) state->builder.Close();
}

void XMLCALL CharacterData(void* data, const XML_Char* text, int length) {
  auto* state = static_cast<ParseState*>(data);
  if (!state->refused) state->builder.Text(base::Utf8ToUtf16(std::string_view(text, static_cast<size_t>(length))));
}

// No document type declaration is allowed, so no entity can be declared, let alone an external one.
void XMLCALL StartDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
  static_cast<ParseState*>(data)->Refuse();
}

// Strict UTF-16 to UTF-8: false on a lone surrogate, which no XML text may hold.
bool StrictUtf8(std::u16string_view text, std::string& out) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (base::IsLowSurrogate(text[i])) return false;
    if (base::IsHighSurrogate(text[i])) {
      if (i + 1 >= text.size() || !base::IsLowSurrogate(text[i + 1])) return false;
      ++i;
    }
  }
  base::AppendUtf8(out, text);
  return true;
}

}  // namespace

bool ParseXmlTree(std::u16string_view document, XmlElement& root) {
  std::string bytes;
  if (!StrictUtf8(document, bytes) || bytes.size() > INT_MAX) return false;
  XML_Parser parser = XML_ParserCreate("UTF-8");
  if (parser == nullptr) return false;
  ParseState state{parser, XmlTreeBuilder(root)};
  XML_SetUserData(parser, &state);
  XML_SetElementHandler(parser, StartElement, EndElement);
  XML_SetCharacterDataHandler(parser, CharacterData);
  XML_SetStartDoctypeDeclHandler(parser, StartDoctype);
  XML_SetParamEntityParsing(parser, XML_PARAM_ENTITY_PARSING_NEVER);
  XML_Status status = XML_Parse(parser, bytes.data(), static_cast<int>(bytes.size()), XML_TRUE);
  XML_ParserFree(parser);
  return status == XML_STATUS_OK && !state.refused && state.builder.Finished();
}

}  // namespace orvinta::platform
