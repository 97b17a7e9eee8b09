// HELP on the host: the help page, turned into text, through the user's pager when the output
// is a terminal ($PAGER, else less), plainly otherwise.
#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/utf8.h"
#include "platform/help_text.h"
#include "platform/host/system_calls.h"
#include "platform/platform.h"
#include "platform/shell.h"

namespace orvinta::platform {

namespace {

// The page is stored as the device stores it, in GB2312.
std::u16string DecodeGb2312(const void* data, size_t size) {
  std::u16string text;
  iconv_t converter = iconv_open("UTF-16LE", "GB2312");
  if (converter == reinterpret_cast<iconv_t>(-1)) return text;
  std::string in(static_cast<const char*>(data), size);
  std::string out(size * 2 + 16, '\0');
  char* inPointer = in.data();
  size_t inLeft = in.size();
  char* outPointer = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1)) break;
    // A byte that is no GB2312 character is passed over; the rest of the page still shows.
    ++inPointer;
    --inLeft;
  }
  iconv_close(converter);
  size_t units = (out.size() - outLeft) / 2;
  text.resize(units);
  for (size_t i = 0; i < units; ++i) {
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(out[2 * i]) |
                                    static_cast<unsigned char>(out[2 * i + 1]) << 8);
  }
  return text;
}

}  // namespace

int32_t ShowHelp() {
  ResourceBytes page{};
  std::string text;
  if (Get().processes->FindResourceData(kHelpResourceName, kRtHtml, &page)) {
    text = base::Utf16ToUtf8(RenderHelpText(DecodeGb2312(page.data, page.size)).text);
  }
  std::fflush(stdout);
  if (host::Sys().isatty(STDOUT_FILENO) == 1) {
    // The pager is the user's own program, started as a shell would start it.
    const char* pager = std::getenv("PAGER");
    setenv("LESS", "FRX", 0);
    FILE* pipe = popen(pager != nullptr && pager[0] != 0 ? pager : "less", "w");
    if (pipe != nullptr) {
      std::fwrite(text.data(), 1, text.size(), pipe);
      pclose(pipe);
      return 0;
    }
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
  return 0;
}

}  // namespace orvinta::platform
