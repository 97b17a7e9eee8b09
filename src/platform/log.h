// The log sink: where every command line and its result entry go.
//
// Contract: Append takes UTF-16 text exactly as the log pane shows it (lines end in CR LF) and
// writes it to the file named by ORVINTA_LOG, as UTF-8, created when missing and appended to
// otherwise. Without ORVINTA_LOG the sink is off and Enabled() is false, so callers can skip
// building the text. A write that fails is dropped: logging never changes a result.
#pragma once
#include <string_view>

namespace orvinta::platform {

class Log {
 public:
  virtual ~Log() = default;
  virtual bool Enabled() = 0;
  virtual void Append(std::u16string_view text) = 0;
};

}  // namespace orvinta::platform
