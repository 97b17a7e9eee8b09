// The host program's entry: the arguments, joined with single blanks, are the command line.
#include <clocale>
#include <string>

#include "app/startup.h"
#include "base/utf8.h"

int main(int argc, char** argv) {
  std::setlocale(LC_TIME, "");  // %D and %T use the user's date and time formats
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  std::u16string commandLine = orvinta::base::Utf8ToUtf16(joined);
  // The exit status keeps the low 8 bits of the 32-bit result.
  return static_cast<int>(orvinta::app::Start(commandLine.data()));
}
