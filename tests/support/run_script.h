// Runs a script text as the program does and returns its last result.
#pragma once
#include <string>

#include "engine/runner.h"

namespace orvinta::test {

inline int32_t RunScriptText(std::u16string text) {
  text.push_back(0);
  return engine::RunScript(text.data(), u"\\test.ovs");
}

}  // namespace orvinta::test
