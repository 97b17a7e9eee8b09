// ORVINTA_ANSWERS: the answers of a run without a terminal, one for each box, taken in order.
//
// Answers are separated by ";" (outside double quotes); blanks, tabs and line breaks around an
// answer are ignored. A message box takes the decimal number of one of its buttons (1 OK,
// 2 Cancel, 6 Yes, 7 No, ...). A form takes "cancel", or "ok" and then, separated by blanks, the
// final state of its controls in order, as far as the answer goes: "1" or "0" for a check box
// or radio button (a radio button given 1 is selected as a click selects it, so the others of
// its group lose their tick), a double-quoted text for an edit box (UTF-8; "%" and four
// hexadecimal digits for any UTF-16 unit, as the journal writes "%0022" for a quote), "-" for a
// control left as shown (labels take only that). "ok" alone confirms the form as it was shown.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows.h"

namespace orvinta::platform::host {

class BoxAnswers {
 public:
  explicit BoxAnswers(std::string_view list);

  // The next answer, trimmed; false when every answer has been taken.
  bool Next(std::string_view* answer);
  // How many answers have been taken (the number of the last one, counted from 1).
  int taken() const { return next_; }

 private:
  std::vector<std::string> answers_;
  int next_ = 0;
};

// A message box's answer: true with the button, or false with `why` when the answer is no
// button of this box.
bool ParseButtonAnswer(std::string_view answer, uint32_t type, int32_t* button, std::string* why);

// A form's answer: kFormConfirmed with `final` holding the states (from the form as shown,
// changed by the answer), kFormCancelled, or 0 with `why` when the answer doesn't fit the form.
int32_t ApplyFormAnswer(std::string_view answer, const Form& form, FormStates& final, std::string* why);

// The states of a form as it is shown: its first ticks and texts (texts cut to 259 units).
void ShownStates(const Form& form, FormStates& states);

}  // namespace orvinta::platform::host
