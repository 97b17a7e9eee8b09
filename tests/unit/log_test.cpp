// The log: each command line as expanded, then its result entry with the system text.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Log, WritesEachCommandLineAndItsResultEntryExactly) {
  const ScriptCase cases[] = {
      {u"MSGX Hello", {.result = kNotImpl, .log = u"MSGX Hello\r\n     80004001 Not implemented\r\n\r\n"}},
      {u"  \tEVAL x=0, y\n; not logged\n\n",
       {.log = u"EVAL x=0\x01 y\r\n     00000000 The operation completed successfully.\r\n\r\n"}},
      {u"EVAL x=2",
       {.result = 2, .log = u"EVAL x=2\r\n     00000002 The system cannot find the file specified.\r\n\r\n"}},
      {u"EVAL x=0x1234abcd", {.result = 0x1234abcd, .log = u"EVAL x=0x1234abcd\r\n     1234ABCD \r\n\r\n"}},
      {u"EVAL x=-1", {.result = -1, .log = u"EVAL x=-1\r\n     FFFFFFFF \r\n\r\n"}},  // codes without a text
  };
  ExpectRuns(cases);
}

TEST(Log, ResultEntryKeepsWithin260UnitsAndEndsWithItsLineBreaks) {
  for (size_t length : {0, 1, 230, 240, 241, 242, 243, 245, 300, 2000}) {
    for (std::u16string_view ending : {u"", u"\r\n", u"\n"}) {
      std::u16string message = std::u16string(length, u'm') + std::u16string(ending);
      SCOPED_TRACE(testing::Message() << "message of " << message.size() << " units");
      FixedTextTime text;
      text.message = message;
      PoisonedBuffer<engine::kResultEntryUnits + 8> entry;  // any unit written past the entry shows
      size_t n = engine::BuildResultEntry(7, entry.units);
      ASSERT_LT(n, engine::kResultEntryUnits);
      EXPECT_EQ(entry.units[n], 0);
      ExpectPoisonedFrom(entry, n + 1);
      std::u16string written(entry.units, n), kept = message.substr(0, std::min<size_t>(length, 200));
      EXPECT_EQ(written.substr(0, 14 + kept.size()), u"     00000007 " + kept);
      EXPECT_EQ(written.substr(n - 3), u"\n\r\n") << "one empty line follows every entry";
      if (message.size() + 14 + 4 < engine::kResultEntryUnits) {
        EXPECT_EQ(written, u"     00000007 " + message + (ending.empty() ? u"\r\n\r\n" : u"\r\n"));
      }
    }
  }
}

}  // namespace
}  // namespace orvinta::test
