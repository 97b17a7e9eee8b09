// The host program's entry: the arguments, joined with single blanks, are the command line.
// Only a command line that is exactly "--help" or "--version" is the host's own; everything else
// is a script, as on the device (a file named "--help" runs as ./--help).
#include <clocale>
#include <cstdio>
#include <string>

#include "app/startup.h"
#include "app/version.h"
#include "base/utf8.h"

namespace {

constexpr char kUsage[] =
    "Usage: orvinta [SCRIPT-TEXT...]\n"
    "       orvinta --help | --version\n"
    "\n"
    "Runs Orvinta command scripts against a virtual Windows Mobile device: a folder stands for\n"
    "the device's root \\ and a hive file for its registry.\n"
    "\n"
    "The command line is one script text; several arguments are joined with blanks. A line\n"
    "without a keyword is something to open, so `orvinta setup.ovs` runs that file and\n"
    "`orvinta 'LOAD \\Storage Card\\*.ovs'` every script in that folder of the device. Without\n"
    "arguments the default script runs (OVUI: the interactive session).\n"
    "\n"
    "Environment:\n"
    "  ORVINTA_ROOT         the folder that stands for \\ (default $XDG_DATA_HOME/orvinta/root)\n"
    "  ORVINTA_REGISTRY     the registry hive file (default registry.hive beside the root)\n"
    "  ORVINTA_LOG          a file that receives every command line and its result\n"
    "  ORVINTA_CODEPAGE     the ANSI code page of script files (default: the locale's)\n"
    "  ORVINTA_JOURNAL      a file that receives every device call, box and provisioning document\n"
    "  ORVINTA_ANSWERS      answers for message and dialog boxes when there is no terminal\n"
    "  ORVINTA_SOUND_PLAYER the audio player PLAY uses; empty for none\n"
    "\n"
    "Exit status: the result of the last command, low 8 bits (the full value is in the log).\n"
    "The manual: man orvinta (docs/orvinta.1.scd in the source tree).\n";

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_TIME, "");  // %D and %T use the user's date and time formats
  std::string joined;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) joined += ' ';
    joined += argv[i];
  }
  if (joined == "--help") return std::fputs(kUsage, stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
  if (joined == "--version") {
    return std::printf("orvinta " ORVINTA_VERSION_TEXT " (built " ORVINTA_BUILD_TIME ")\n") > 0 &&
                   std::fflush(stdout) == 0
               ? 0
               : 1;
  }
  std::u16string commandLine = orvinta::base::Utf8ToUtf16(joined);
  // The exit status keeps the low 8 bits of the 32-bit result.
  return static_cast<int>(orvinta::app::Start(commandLine.data()));
}
