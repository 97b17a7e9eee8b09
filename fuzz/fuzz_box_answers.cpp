// ORVINTA_ANSWERS, as the environment hands it over (any bytes): split into answers, each fitted
// to a message box of a type taken from the input and to a form described by the input's first
// line. An answer either fits or is refused with a reason; a confirmed form keeps every text
// terminated within 259 units and ticks only on check boxes and radio buttons, at most one
// radio button per group.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "base/text.h"
#include "base/utf8.h"
#include "dialogs/form_description.h"
#include "engine/script_context.h"
#include "platform/host/box_answers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta;
  using platform::ControlKind;
  std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t lineEnd = std::min(input.find('\n'), input.size());
  std::u16string argument = base::Utf8ToUtf16(input.substr(0, std::min<size_t>(lineEnd, 1000)));
  std::replace(argument.begin(), argument.end(), u',', engine::kArgumentSeparator);
  std::replace(argument.begin(), argument.end(), u'\0', u' ');
  platform::Form form;
  dialogs::DescribeForm(argument.data(), form);
  const std::string list(input.substr(std::min(lineEnd + 1, input.size())));
  const uint32_t type = size > 0 ? data[0] * 0x101u : 0;

  platform::host::BoxAnswers answers(list);
  std::string_view answer;
  while (answers.Next(&answer)) {
    std::string why;
    int32_t button = 0;
    if (!platform::host::ParseButtonAnswer(answer, type, &button, &why) && why.empty()) std::abort();
    auto final = std::make_unique<platform::FormStates>();
    why.clear();
    const int32_t end = platform::host::ApplyFormAnswer(answer, form, *final, &why);
    if (end == 0 && why.empty()) std::abort();
    if (end != platform::kFormConfirmed) continue;
    int selectedInGroup = 0;
    for (int n = 0; n < form.count; ++n) {
      const platform::FormControl& control = form.controls[n];
      const bool tickable = control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kRadioButton;
      if (final->ticked[n] && !tickable) std::abort();
      if (base::TextLength(final->text[n]) >= platform::kFormTextUnits) std::abort();
      if (control.kind == ControlKind::kRadioButton) {
        if (control.startsGroup) selectedInGroup = 0;
        selectedInGroup += final->ticked[n] ? 1 : 0;
        if (selectedInGroup > 1) std::abort();
      }
    }
  }
  return 0;
}
