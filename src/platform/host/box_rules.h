// What a message box of a given type offers on the host, as Windows shows it: its buttons in
// order, the default one, the icon as a word, and what Escape answers.
#pragma once
#include <cstdint>
#include <span>

namespace orvinta::platform::host {

struct BoxButton {
  int32_t id;          // IDOK ...
  const char* name;    // as the platform labels it
  char accelerator;    // the key that chooses it, or 0
};

// The button set of the type's low four bits. A set Windows does not define (7 to 15) has OK.
std::span<const BoxButton> BoxButtons(uint32_t type);

// Index of the default button (MB_DEFBUTTON2 ...); the first when the type names none there.
int DefaultBoxButton(uint32_t type);

// "Error", "Question", "Warning", "Information", or null for no icon.
const char* BoxIconWord(uint32_t type);

// Escape answers Cancel where there is one and OK where OK is alone; elsewhere 0: no answer.
int32_t EscapeAnswer(uint32_t type);

}  // namespace orvinta::platform::host
