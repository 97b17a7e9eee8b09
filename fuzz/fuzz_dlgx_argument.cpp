// DLGX's argument, as the line buffer holds it (at most 1023 units), read into a form, and the
// form confirmed with the ticks and texts the input's tail chooses: the form stays within its
// 32 controls, numbered and grouped as made, with every text inside the argument; the mask has
// bits only for check boxes and radio buttons; %0-%9 stay terminated texts of at most 259 units.
#include <cstring>

#include "base/text.h"
#include "dialogs/form_description.h"
#include "engine/interpreter_state.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta;
  using platform::ControlKind;
  const std::u16string argument = fuzz::ArgumentOf(data, size);
  auto buffer = fuzz::OwnBuffer(argument);
  const char16_t* const begin = buffer.get();
  const char16_t* const end = begin + argument.size();

  platform::Form form;
  dialogs::DescribeForm(buffer.get(), form);
  if (form.count < 0 || form.count > platform::kFormControlLimit) std::abort();
  auto inside = [&](const char16_t* text) { return text >= begin && text <= end; };
  if (form.title != nullptr && !inside(form.title)) std::abort();
  uint16_t groupFirst = platform::kFormFirstControlId;
  for (int n = 0; n < form.count; ++n) {
    const platform::FormControl& control = form.controls[n];
    if (control.id != platform::kFormFirstControlId + n || !inside(control.text)) std::abort();
    if (control.startsGroup) groupFirst = control.id;
    if (control.kind == ControlKind::kRadioButton && control.groupFirstId != groupFirst) std::abort();
  }

  // The tail of the input (what follows the argument's zero unit, or nothing) picks the states.
  const size_t used = std::min(size, 2 * argument.size() + 2);
  uint32_t ticks = 0;
  std::memcpy(&ticks, data + used, std::min<size_t>(4, size - used));
  auto final = std::make_unique<platform::FormStates>();
  for (int n = 0; n < form.count; ++n) {
    final->ticked[n] = ((ticks >> n) & 1) != 0;
    const size_t length = (n * 37 + size) % platform::kFormTextUnits;  // up to 259
    for (size_t i = 0; i < length; ++i) final->text[n][i] = static_cast<char16_t>(u'a' + i % 26);
    final->text[n][length] = 0;
  }
  const uint32_t mask = static_cast<uint32_t>(dialogs::ReadBackForm(form, *final));
  for (int n = 0; n < platform::kFormControlLimit; ++n) {
    if (((mask >> n) & 1) == 0) continue;
    const ControlKind kind = form.controls[n].kind;
    if (n >= form.count || (kind != ControlKind::kCheckBox && kind != ControlKind::kRadioButton)) std::abort();
  }
  for (int slot = 0; slot < engine::kUserVariableCount; ++slot) {
    if (base::TextLength(engine::UserVariable(slot)) >= engine::kUserVariableUnits) std::abort();
  }
  return 0;
}
