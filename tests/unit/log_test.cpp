// The result entry: the code and the system text within 260 units. The end-to-end cases compare
// whole logs.
#include "support/script.h"

namespace orvinta::test {
namespace {

TEST(Log, ResultEntryKeepsWithin260UnitsAndEndsWithItsLineBreaks) {
  for (size_t length : {0, 240, 241, 242, 243, 2000}) {
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
