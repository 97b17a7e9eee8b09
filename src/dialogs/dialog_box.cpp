// DLGX [!]item[,item...]: a form built from the items; the result is the bit mask of the ticked
// controls, -1 for Cancel (the user variables then stay as they were).
#include "dialogs/dialog_commands.h"
#include "dialogs/form_description.h"
#include "platform/platform.h"

namespace orvinta::dialogs {

int32_t HandleDlgx(char16_t*, char16_t* argument, engine::ScriptContext&) {
  platform::Form form;
  DescribeForm(argument, form);
  platform::FormStates final{};
  const int32_t end = platform::Get().windows->ShowForm(form, final);
  if (end == platform::kFormConfirmed) return ReadBackForm(form, final);
  if (end == platform::kFormCancelled) return -1;
  return end;  // the platform could not make the dialog
}

}  // namespace orvinta::dialogs
