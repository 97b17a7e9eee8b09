#include "engine/text_utils.h"

#include <gtest/gtest.h>

namespace orvinta::engine {
namespace {

TEST(TextUtils, DifferBy32RuleMatchesLettersAndSomePunctuation) {
  EXPECT_TRUE(SameNoCase(u'a', u'A'));
  EXPECT_TRUE(SameNoCase(u'.', u'N'));
  EXPECT_TRUE(SameNoCase(u'0', u'P'));
  EXPECT_FALSE(SameNoCase(u'n', u'.'));
}

}  // namespace
}  // namespace orvinta::engine
