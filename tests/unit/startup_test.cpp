// Start-up: the command line or the default script becomes one script text, run with the
// program's path; its result is the exit code.
#include "app/startup.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

// The default-script resource: UTF-16 LE bytes of a text, then `tail`.
std::vector<unsigned char> Resource(std::u16string_view text, std::vector<unsigned char> tail = {}) {
  std::vector<unsigned char> bytes;
  for (char16_t c : text) bytes.insert(bytes.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
  bytes.insert(bytes.end(), tail.begin(), tail.end());
  return bytes;
}

TEST(Startup, ChoosesTheTextFromTheCommandLineOrTheDefaultScript) {
  const auto kShipped = Resource(u"OVUI", std::vector<unsigned char>(48, 0));
  const int32_t kNotFound = win::AsResult(win::kErrorFileNotFound);  // a path that LOAD does not find
  struct Case {
    std::u16string_view commandLine;
    std::optional<std::vector<unsigned char>> resource;
    int32_t result;
    std::u16string log;
  } cases[] = {
      {u"", kShipped, kNotImpl, Logged(u"OVUI", kNotImpl)},
      {u"", std::nullopt, kNotImpl, Logged(u"OVUI", kNotImpl)},
      {u"", Resource(u"EVAL x=5"), 5, Logged(u"EVAL x=5", 5)},            // no terminator
      {u"", Resource(u"EVAL 1=ab", {'c'}), 0, Logged(u"EVAL 1=ab", 0)},  // an odd last byte
      {u"\"\"", kShipped, 0, u""},
      {u"\"", kShipped, 0, u""},
      {u"\"\\Storage Card\\a.ovs\"", kShipped, kNotFound, Logged(u"\\Storage Card\\a.ovs", kNotFound)},
      {u"\"\\Storage Card\\a.ovs\" x", kShipped, kNotFound, Logged(u"\\Storage Card\\a.ovs\" x", kNotFound)},
      {u"\"EVAL x=5\"", kShipped, 5, Logged(u"EVAL x=5", 5)},
      {u"MSGX \"a\"", kShipped, kNotImpl, Logged(u"MSGX \"a\"", kNotImpl)},
      {u"EVAL x=5", std::nullopt, 5, Logged(u"EVAL x=5", 5)},
  };
  for (const Case& c : cases) {
    FakeProcesses processes;
    processes.resource = c.resource;
    CapturingLog log;
    std::u16string commandLine(c.commandLine);
    EXPECT_EQ(app::Start(commandLine.data()), c.result) << Shown(c.commandLine);
    EXPECT_EQ(log.text, c.log) << Shown(c.commandLine);
  }
}

TEST(Startup, RunsTheDefaultScriptFromAWritableCopyWithTheProgramsPath) {
  ResetUserVariables();
  FakeProcesses processes;
  processes.resource = Resource(u"EVAL 1=%E;%C\r\n<a/>\r\n<>\r\n", {0, 0});
  RecordingDevice device;
  device.xmlResult = 9;
  std::u16string empty;
  EXPECT_EQ(app::Start(empty.data()), 9);
  EXPECT_EQ(device.journal, u"ProcessConfigXml 1 [<a/>\r\n]");
  auto document = reinterpret_cast<const unsigned char*>(device.documentAddress);
  const std::vector<unsigned char>& bytes = *processes.resource;
  EXPECT_TRUE(document < bytes.data() || document >= bytes.data() + bytes.size()) << "the resource itself ran";
  EXPECT_EQ(std::u16string(app::ProgramPath()), processes.programPath);
  EXPECT_EQ(Variables(2), u"|" + processes.programPath + u";\\Program Files\\Orvinta");
}

}  // namespace
}  // namespace orvinta::test
