#include "platform/host/box_rules.h"

#include "platform/constants.h"

namespace orvinta::platform::host {

namespace {

constexpr BoxButton kOk{win::kIdOk, "OK", 0};
constexpr BoxButton kCancel{win::kIdCancel, "Cancel", 0};
constexpr BoxButton kAbort{win::kIdAbort, "Abort", 'a'};
constexpr BoxButton kRetry{win::kIdRetry, "Retry", 'r'};
constexpr BoxButton kIgnore{win::kIdIgnore, "Ignore", 'i'};
constexpr BoxButton kYes{win::kIdYes, "Yes", 'y'};
constexpr BoxButton kNo{win::kIdNo, "No", 'n'};
constexpr BoxButton kTryAgain{win::kIdTryAgain, "Try Again", 't'};
constexpr BoxButton kContinue{win::kIdContinue, "Continue", 'c'};

constexpr BoxButton kOkSet[] = {kOk};
constexpr BoxButton kOkCancelSet[] = {kOk, kCancel};
constexpr BoxButton kAbortRetryIgnoreSet[] = {kAbort, kRetry, kIgnore};
constexpr BoxButton kYesNoCancelSet[] = {kYes, kNo, kCancel};
constexpr BoxButton kYesNoSet[] = {kYes, kNo};
constexpr BoxButton kRetryCancelSet[] = {kRetry, kCancel};
constexpr BoxButton kCancelTryContinueSet[] = {kCancel, kTryAgain, kContinue};

}  // namespace

std::span<const BoxButton> BoxButtons(uint32_t type) {
  switch (type & win::kMbTypeMask) {
    case win::kMbOkCancel:
      return kOkCancelSet;
    case win::kMbAbortRetryIgnore:
      return kAbortRetryIgnoreSet;
    case win::kMbYesNoCancel:
      return kYesNoCancelSet;
    case win::kMbYesNo:
      return kYesNoSet;
    case win::kMbRetryCancel:
      return kRetryCancelSet;
    case win::kMbCancelTryContinue:
      return kCancelTryContinueSet;
    default:
      return kOkSet;
  }
}

int DefaultBoxButton(uint32_t type) {
  const int index = static_cast<int>((type & win::kMbDefMask) >> 8);
  return index < static_cast<int>(BoxButtons(type).size()) ? index : 0;
}

const char* BoxIconWord(uint32_t type) {
  switch (type & win::kMbIconMask) {
    case win::kMbIconHand:
      return "Error";
    case win::kMbIconQuestion:
      return "Question";
    case win::kMbIconExclamation:
      return "Warning";
    case win::kMbIconAsterisk:
      return "Information";
    default:
      return nullptr;
  }
}

int32_t EscapeAnswer(uint32_t type) {
  std::span<const BoxButton> buttons = BoxButtons(type);
  for (const BoxButton& button : buttons) {
    if (button.id == win::kIdCancel) return win::kIdCancel;
  }
  return buttons.size() == 1 ? win::kIdOk : 0;
}

}  // namespace orvinta::platform::host
