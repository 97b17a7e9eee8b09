#include "platform/host/box_answers.h"

#include <algorithm>

#include "base/hex.h"
#include "base/utf8.h"
#include "platform/host/box_rules.h"

namespace orvinta::platform::host {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool SameLetters(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return (x | 0x20) == (y | 0x20); });
}

void CopyCut(char16_t* target, std::u16string_view text) {
  const size_t units = std::min(text.size(), static_cast<size_t>(kFormTextUnits - 1));
  std::copy_n(text.begin(), units, target);
  target[units] = 0;
}

// A quoted text at the start of `rest`: the quotes and what they hold, "%hhhh" decoded.
bool TakeQuoted(std::string_view* rest, std::u16string* text) {
  size_t close = rest->find('"', 1);
  if (close == std::string_view::npos) return false;
  std::u16string raw = base::Utf8ToUtf16(rest->substr(1, close - 1));
  rest->remove_prefix(close + 1);
  text->clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    int value = 0;
    bool escape = raw[i] == u'%';
    for (size_t d = 1; escape && d <= 4; ++d) {
      const int digit = i + d < raw.size() ? base::HexDigitValue(raw[i + d]) : -1;
      escape = digit >= 0;
      value = value * 16 + digit;
    }
    if (escape) {
      text->push_back(static_cast<char16_t>(value));
      i += 4;
    } else {
      text->push_back(raw[i]);
    }
  }
  return true;
}

std::string Quoted(std::string_view word) { return "\"" + std::string(word) + "\""; }

}  // namespace

BoxAnswers::BoxAnswers(std::string_view list) {
  std::string current;
  bool quoted = false;
  for (char c : list) {
    if (c == '"') quoted = !quoted;
    if (c == ';' && !quoted) {
      answers_.emplace_back(Trimmed(current));
      current.clear();
    } else {
      current += c;
    }
  }
  if (!Trimmed(current).empty()) answers_.emplace_back(Trimmed(current));  // "6;" holds one answer
}

bool BoxAnswers::Next(std::string_view* answer) {
  if (next_ >= static_cast<int>(answers_.size())) return false;
  *answer = answers_[next_++];
  return true;
}

bool ParseButtonAnswer(std::string_view answer, uint32_t type, int32_t* button, std::string* why) {
  int32_t value = 0;
  bool number = !answer.empty() && answer.size() <= 4;
  for (size_t i = 0; number && i < answer.size(); ++i) {
    number = answer[i] >= '0' && answer[i] <= '9';
    value = value * 10 + (answer[i] - '0');  // four digits at most: no overflow
  }
  std::string offered;
  for (const BoxButton& candidate : BoxButtons(type)) {
    if (number && candidate.id == value) {
      *button = value;
      return true;
    }
    offered += (offered.empty() ? "" : ", ") + std::to_string(candidate.id) + " " + candidate.name;
  }
  *why = Quoted(answer) + " is no button of this message box, which offers " + offered;
  return false;
}

void ShownStates(const Form& form, FormStates& states) {
  InitialTicks(form, states.ticked);
  for (int n = 0; n < form.count; ++n) {
    const char16_t* text = form.controls[n].kind == ControlKind::kEditBox ? form.controls[n].text : u"";
    CopyCut(states.text[n], text);
  }
}

int32_t ApplyFormAnswer(std::string_view answer, const Form& form, FormStates& final, std::string* why) {
  std::string_view rest = answer;
  size_t word = rest.find_first_of(" \t\r\n");
  std::string_view command = rest.substr(0, word);
  rest.remove_prefix(command.size());
  if (SameLetters(command, "cancel") && Trimmed(rest).empty()) return kFormCancelled;
  if (!SameLetters(command, "ok")) {
    *why = Quoted(answer) + " answers no form: give \"ok\" and the controls' states, or \"cancel\"";
    return 0;
  }
  ShownStates(form, final);
  for (int n = 0;; ++n) {
    rest = Trimmed(rest);
    if (rest.empty()) return kFormConfirmed;
    if (n >= form.count) {
      *why = Quoted(answer) + " gives more states than the form's " + std::to_string(form.count) + " controls";
      return 0;
    }
    const FormControl& control = form.controls[n];
    const bool tickable = control.kind == ControlKind::kCheckBox || control.kind == ControlKind::kRadioButton;
    const std::string position = "control " + std::to_string(n) + " (" +
                                 (control.kind == ControlKind::kLabel      ? "a label"
                                  : control.kind == ControlKind::kEditBox ? "an edit box"
                                  : control.kind == ControlKind::kCheckBox ? "a check box"
                                                                            : "a radio button") +
                                 ")";
    if (rest.front() == '"') {
      std::u16string text;
      if (!TakeQuoted(&rest, &text)) {
        *why = Quoted(answer) + ": a text without its closing quote";
        return 0;
      }
      if (control.kind != ControlKind::kEditBox) {
        *why = Quoted(answer) + " gives a text to " + position;
        return 0;
      }
      CopyCut(final.text[n], text);
      continue;
    }
    std::string_view state = rest.substr(0, rest.find_first_of(" \t\r\n"));
    rest.remove_prefix(state.size());
    if (state == "-") continue;
    if ((state != "0" && state != "1") || !tickable) {
      *why = Quoted(answer) + " gives " + Quoted(state) + " to " + position + ", which takes " +
             (tickable ? "1, 0 or -" : control.kind == ControlKind::kEditBox ? "a quoted text or -" : "only -");
      return 0;
    }
    if (state == "0") {
      final.ticked[n] = false;
    } else if (control.kind == ControlKind::kRadioButton) {
      SelectRadioButton(form, final.ticked, n);
    } else {
      final.ticked[n] = true;
    }
  }
}

}  // namespace orvinta::platform::host
