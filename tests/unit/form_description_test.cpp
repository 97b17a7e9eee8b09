// DLGX's argument read into a form, and a confirmed form read back: the cases the windows can't
// show cheaply (every item kind's edge, the caps), and the tick rules the host's faces share.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/form_description.h"
#include "engine/command_handler.h"
#include "engine/script_context.h"
#include "engine/interpreter_state.h"

namespace orvinta::test {
namespace {

using platform::ControlKind;

// The form as one line: "title|k1:text|k2:text..." with each kind as a letter (l, c, r, g for a
// radio button starting a group, e) and "+" for a control asked to start ticked.
std::u16string Described(std::u16string argument, bool* hideCancel = nullptr) {
  for (char16_t& unit : argument) unit = unit == u',' ? engine::kArgumentSeparator : unit;
  platform::Form form;
  dialogs::DescribeForm(argument.data(), form);
  if (hideCancel != nullptr) *hideCancel = form.hideCancel;
  std::u16string line = form.title != nullptr ? form.title : u"(none)";
  for (int n = 0; n < form.count; ++n) {
    const platform::FormControl& control = form.controls[n];
    EXPECT_EQ(control.id, 4531 + n);
    const char16_t* kinds = u"lcre";
    char16_t kind = control.startsGroup ? u'g' : kinds[static_cast<int>(control.kind)];
    line += std::u16string(u"|") + kind + (control.ticked ? u"+" : u"") + u":" + control.text;
  }
  return line;
}

TEST(FormDescription, ItemsBecomeControlsByTheirFirstCharacter) {
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"Title", u"Title"},
      {u"A,B,C", u"C"},  // every plain item before the first control is a title; the last wins
      {u"A,B,$L", u"B|l:L"},
      {u"Pick,$Choose:,[1]Alpha,[0]Beta", u"Pick|l:Choose:|c+:Alpha|c:Beta"},
      {u"Setup,{1}One,<0>Two,{0}Three,<1>Four", u"Setup|g+:One|r:Two|g:Three|r+:Four"},
      {u"[x]Text,[1,[0x10]Hex,[2]a]b", u"(none)|c:Text|c+:|c+:Hex|c+:a]b"},  // the number stops at the bracket
      {u"<1}x>y,{1>z}w", u"(none)|r+:y|g+:w"},  // only the item's own closing bracket counts
      {u"$,edit,%,$", u"(none)|l:|e:edit|e:%|l:"},
  };
  for (const auto& [argument, expected] : cases) {
    EXPECT_EQ(Described(argument), expected) << std::string(argument.begin(), argument.end());
  }
  EXPECT_EQ(Described(u""), u"");  // "DLGX" alone: an empty caption, no controls
  bool hidden = false;
  EXPECT_EQ(Described(u"!Done?,[1]Reboot", &hidden), u"Done?|c+:Reboot");
  EXPECT_TRUE(hidden);
}

TEST(FormDescription, StopsAtThirtyTwoControlsAndReadsBackBitsAndTexts) {
  std::u16string argument = u"Many,$label";
  for (int n = 1; n < 40; ++n) argument += n < 20 ? u",[0]c" : u",edit" + std::u16string(300, u'y');
  for (char16_t& unit : argument) unit = unit == u',' ? engine::kArgumentSeparator : unit;
  platform::Form form;
  dialogs::DescribeForm(argument.data(), form);
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
  for (char16_t& unit : last) unit = unit == u',' ? engine::kArgumentSeparator : unit;
  dialogs::DescribeForm(last.data(), form);
  platform::FormStates only31{};
  only31.ticked[31] = true;
  EXPECT_EQ(dialogs::ReadBackForm(form, only31), INT32_MIN);  // bit 31 makes the mask negative
}

TEST(FormRules, TicksFollowTheButtonsCalls) {
  // Setup: a check box, then two groups. CheckRadioButton(first, own, own) clears every button
  // from the group's first id up to its own, check boxes within that range included.
  std::u16string argument = u"[1]box,{1}One,<1>Two,[1]inner,<0>Three,{0}Four,<1>Five";
  for (char16_t& unit : argument) unit = unit == u',' ? engine::kArgumentSeparator : unit;
  platform::Form form;
  dialogs::DescribeForm(argument.data(), form);
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
