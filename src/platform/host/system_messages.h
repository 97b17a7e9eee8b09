// The host's own table of system message texts, standing in for FormatMessageW. It holds the
// English texts of Windows for every code a command can return.
#pragma once
#include <cstdint>
#include <string_view>

namespace orvinta::platform::host {

// The text for `code`, ending in CR LF, or an empty view when the table has none.
std::u16string_view SystemMessageText(uint32_t code);

}  // namespace orvinta::platform::host
