// The host's boxes: answered from ORVINTA_ANSWERS when it is set, else shown on the terminal
// (platform/host/terminal_face.h); with neither a box fails as Windows' fails (MessageBoxW 0,
// a form -1) and stderr says why, once. Every box goes to the journal with its answer.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

#include "platform/backend.h"
#include "platform/host/box_answers.h"
#include "platform/host/terminal_face.h"
#include "platform/window_journal.h"

namespace orvinta::platform {

namespace {

using host::BoxAnswers;

constexpr int32_t kFormFailed = -1;  // what DialogBoxIndirectParamW gives when it fails

class HostWindows final : public Windows {
 public:
  int32_t MessageBoxW(const char16_t* text, const char16_t* caption, uint32_t type) override {
    std::string why;
    if (BoxAnswers* answers = Answers()) {
      std::string_view answer;
      int32_t button = 0;
      if (!NextAnswer(*answers, &answer)) return 0;
      if (host::ParseButtonAnswer(answer, type, &button, &why)) return button;
      ReportAnswer(*answers, why);
      return 0;
    }
    if (!host::HasTerminal()) return NoFace(0);
    const int32_t button = host::TerminalMessageBox(text, caption, type, &why);
    if (button == 0) Report(why + "; the message box answers 0");
    return button;
  }

  int32_t ShowForm(const Form& form, FormStates& final) override {
    std::string why;
    if (BoxAnswers* answers = Answers()) {
      std::string_view answer;
      if (!NextAnswer(*answers, &answer)) return kFormFailed;
      FormStates answered{};
      const int32_t end = host::ApplyFormAnswer(answer, form, answered, &why);
      if (end == kFormConfirmed) final = answered;
      if (end != 0) return end;
      ReportAnswer(*answers, why);
      return kFormFailed;
    }
    if (!host::HasTerminal()) return NoFace(kFormFailed);
    const int32_t end = host::TerminalForm(form, final, &why);
    if (end == kFormFailed) Report(why + "; the form answers -1");
    return end;
  }

  void SetMainWindow(WindowHandle window) override { mainWindow_ = window; }
  WindowHandle MainWindow() override { return mainWindow_; }

 private:
  // The list of ORVINTA_ANSWERS, read at the first box; null when it is unset or empty.
  BoxAnswers* Answers() {
    if (!answersRead_) {
      answersRead_ = true;
      const char* list = std::getenv("ORVINTA_ANSWERS");
      if (list != nullptr && *list != 0) answers_ = std::make_unique<BoxAnswers>(list);
    }
    return answers_.get();
  }

  bool NextAnswer(BoxAnswers& answers, std::string_view* answer) {
    if (answers.Next(answer)) return true;
    Report("ORVINTA_ANSWERS has no answer left after " + std::to_string(answers.taken()) +
           ": message boxes answer 0 and forms -1");
    return false;
  }

  void ReportAnswer(const BoxAnswers& answers, const std::string& why) {
    Report("ORVINTA_ANSWERS, answer " + std::to_string(answers.taken()) + ": " + why + "; the box fails");
  }

  int32_t NoFace(int32_t failure) {
    Report("no terminal to show message and dialog boxes on, and no ORVINTA_ANSWERS: message boxes answer 0 "
           "and forms -1");
    return failure;
  }

  // One line on stderr for each distinct reason.
  void Report(const std::string& message) {
    if (!reported_.insert(message).second) return;
    std::fprintf(stderr, "orvinta: %s\n", message.c_str());
  }

  WindowHandle mainWindow_ = 0;
  bool answersRead_ = false;
  std::unique_ptr<BoxAnswers> answers_;
  std::set<std::string> reported_;
};

}  // namespace

Windows* backend::DefaultWindows() {
  static HostWindows windows;
  static JournalingWindows journaled(windows, *backend::DefaultJournal());
  return &journaled;
}

}  // namespace orvinta::platform
