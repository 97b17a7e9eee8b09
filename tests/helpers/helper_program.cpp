// A program for the tests of EXEC and KILL, built for both platforms.
//
// It appends "start" and its command line's words, each in brackets, as one line to the file
// named by ORVINTA_HELPER_RECORD; then lingers for the milliseconds of a word "linger=N" (or of
// ORVINTA_HELPER_LINGER); then appends "end". Its words are read the same way on both
// platforms: all of the Windows command line (which EXEC hands over without the program's
// name), or the arguments after the program's path on the host.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "platform/command_line_words.h"

namespace {

#ifdef _WIN32
std::string Utf8(const std::u16string& text) {
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  std::string out(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, wide, length, nullptr, 0, nullptr, nullptr)), 0);
  WideCharToMultiByte(CP_UTF8, 0, wide, length, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  return out;
}
#endif

void Record(const std::string& line) {
  const char* path = std::getenv("ORVINTA_HELPER_RECORD");
  if (path == nullptr || *path == 0) return;
  if (FILE* file = std::fopen(path, "ab")) {
    std::fputs((line + "\n").c_str(), file);
    std::fclose(file);
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> words;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  const auto* commandLine = reinterpret_cast<const char16_t*>(GetCommandLineW());
  for (const std::u16string& word : orvinta::platform::CommandLineWords(commandLine)) words.push_back(Utf8(word));
#else
  for (int i = 1; i < argc; ++i) words.push_back(argv[i]);
#endif
  const char* lingerSetting = std::getenv("ORVINTA_HELPER_LINGER");
  long linger = lingerSetting != nullptr ? std::atol(lingerSetting) : 0;
  std::string line = "start";
  for (const std::string& word : words) {
    line += " [" + word + "]";
    if (word.rfind("linger=", 0) == 0) linger = std::atol(word.c_str() + 7);
  }
  Record(line);
  std::this_thread::sleep_for(std::chrono::milliseconds(linger));
  Record("end");
  return 0;
}
