// A Windows command line split into its words, as the Microsoft C runtime splits it for argv.
//
// Blanks and tabs outside double quotes separate words. A double quote starts or ends a quoted
// part and is dropped; inside a quoted part a doubled quote ("") is one literal quote. A run of
// backslashes is literal unless a double quote follows it: then 2n backslashes give n and the
// quote acts as above, and 2n+1 backslashes give n and a literal quote. A quoted empty part
// ("") is an empty word. Every other code unit (the argument separator U+0001 included) is
// part of its word. The host uses this to hand a command line to a program as its arguments.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace orvinta::platform {

std::vector<std::u16string> CommandLineWords(std::u16string_view commandLine);

}  // namespace orvinta::platform
