// Start-up with the default-script resource in odd shapes; the command-line end-to-end cases and
// run-e2e's checks of the default script (run from a writable copy) show the rest.
#include "app/startup.h"
#include "support/script.h"

namespace orvinta::test {
namespace {

// The default-script resource "Orvinta" of type RT_RCDATA: UTF-16 LE bytes of a text, then
// `tail`, in a heap block of exactly its size (nullopt: missing).
class FakeResource final : public ForwardingProcesses {
 public:
  FakeResource(std::optional<std::u16string_view> text, std::vector<unsigned char> tail = {}) {
    if (!text) return;
    bytes.emplace();
    for (char16_t c : *text) bytes->insert(bytes->end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
    bytes->insert(bytes->end(), tail.begin(), tail.end());
  }
  bool FindResourceData(std::u16string_view name, uint32_t type, pf::ResourceBytes* out) override {
    if (!bytes || type != win::kRtRcData || name != u"Orvinta") return false;
    *out = {bytes->data(), static_cast<uint32_t>(bytes->size())};
    return true;
  }
  std::optional<std::vector<unsigned char>> bytes;
};

TEST(Startup, AnEmptyCommandLineRunsTheDefaultScriptWithinItsSize) {
  struct Case {
    std::optional<std::u16string_view> text;
    std::vector<unsigned char> tail;
    int32_t result;
    std::u16string log;
  } cases[] = {
      {std::nullopt, {}, 0, Logged(u"OVUI", 0)},  // the session, reading an empty input
      {u"EVAL x=5", {}, 5, Logged(u"EVAL x=5", 5)},            // no terminator
      {u"EVAL 1=ab", {'c'}, 0, Logged(u"EVAL 1=ab", 0)},      // an odd last byte
      {u"EVAL 1=ab\r\nEVAL x=3", {0, 0, 'x', 0}, 3, Logged(u"EVAL 1=ab", 0) + Logged(u"EVAL x=3", 3)},
  };
  for (const Case& c : cases) {
    FakeResource resource(c.text, c.tail);
    CapturingLog log;
    std::u16string commandLine;
    EXPECT_EQ(app::Start(commandLine.data()), c.result) << Shown(c.log);
    EXPECT_EQ(log.text, c.log);
  }
}

}  // namespace
}  // namespace orvinta::test
