// A confirmed form read back into the mask and the variables, and the tick rules the host's faces
// share. How the items become controls is shown by the dialogs end-to-end cases.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/form_description.h"
#include "engine/command_handler.h"
#include "engine/script_context.h"
#include "engine/interpreter_state.h"

namespace orvinta::test {
namespace {

platform::Form Describe(std::u16string argument) {
  for (char16_t& unit : argument) unit = unit == u',' ? engine::kArgumentSeparator : unit;
  platform::Form form;
  dialogs::DescribeForm(argument.data(), form);
  return form;
}

TEST(FormReadBack, GivesTheTicksAsBitsAndTheEditTextsAsVariables) {
  std::u16string argument = u"Many,$label";
  for (int n = 1; n < 40; ++n) argument += n < 20 ? u",[0]c" : u",edit" + std::u16string(300, u'y');
  platform::Form form = Describe(argument);
  ASSERT_EQ(form.count, 32);
  EXPECT_EQ(form.controls[31].id, 4562);

  engine::SetUserVariable(9, u"kept");
  platform::FormStates final{};
  for (int n = 0; n < 32; ++n) {
    final.ticked[n] = true;  // a label's or an edit box's tick is never read
    std::u16string text = u"t" + std::u16string(1, static_cast<char16_t>(u'a' + n % 26)) + std::u16string(257, u'z');
    text.copy(final.text[n], text.size());
  }
  // Bits 1 to 19 (the check boxes); the 12 edit boxes fill %0-%9 in order, cut to 259 units.
  EXPECT_EQ(dialogs::ReadBackForm(form, final), 0x000FFFFE);
  EXPECT_EQ(std::u16string(engine::UserVariable(0)), std::u16string(final.text[20]).substr(0, 259));
  EXPECT_EQ(std::u16string(engine::UserVariable(9)), std::u16string(final.text[29]).substr(0, 259));

  std::u16string last = u"[0]a";
  for (int n = 1; n < 32; ++n) last += u",[1]b";
  form = Describe(last);
  platform::FormStates only31{};
  only31.ticked[31] = true;
  EXPECT_EQ(dialogs::ReadBackForm(form, only31), INT32_MIN);  // bit 31 makes the mask negative
}

TEST(FormRules, TicksFollowTheButtonsCalls) {
  // Setup: a check box, then two groups. CheckRadioButton(first, own, own) clears every button
  // from the group's first id up to its own, check boxes within that range included.
  platform::Form form = Describe(u"[1]box,{1}One,<1>Two,[1]inner,<0>Three,{0}Four,<1>Five");
  bool ticked[platform::kFormControlLimit] = {};
  platform::InitialTicks(form, ticked);
  const bool initial[] = {true, false, true, true, false, false, true};
  for (int n = 0; n < 7; ++n) EXPECT_EQ(ticked[n], initial[n]) << n;
  platform::SelectRadioButton(form, ticked, 4);  // Three: One and Two lose theirs, the box keeps its
  const bool clicked[] = {true, false, false, true, true, false, true};
  for (int n = 0; n < 7; ++n) EXPECT_EQ(ticked[n], clicked[n]) << n;
}

}  // namespace
}  // namespace orvinta::test
