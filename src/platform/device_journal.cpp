#include "platform/device_journal.h"

#include "base/hex.h"
#include "platform/config_manager.h"
#include "platform/constants.h"

namespace orvinta::platform {

namespace {

void AppendHex(std::string& out, uint32_t value, int digits) {
  char text[8];
  out.append(text, static_cast<size_t>(base::PutHexDigits(text, value, digits) - text));
}

// Builds "Name arg arg ..." one argument at a time.
class Line {
 public:
  explicit Line(const char* name) : text_(name) {}
  Line& Number(uint32_t value) {
    text_ += ' ';
    text_ += JournalNumber(value);
    return *this;
  }
  Line& Text(const char16_t* value) {
    text_ += ' ';
    text_ += JournalText(value);
    return *this;
  }
  Line& Arrow() {
    text_ += " =>";
    return *this;
  }
  Line& Bytes(const void* data, uint32_t size) {
    text_ += " [";
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (uint32_t i = 0; i < size; ++i) AppendHex(text_, bytes[i], 2);
    text_ += ']';
    return *this;
  }
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace

std::string JournalNumber(uint32_t value) {
  std::string out = "0x";
  AppendHex(out, value, 8);
  return out;
}

std::string JournalText(const char16_t* text) {
  if (text == nullptr) return "null";
  std::string out = "\"";
  for (const char16_t* p = text; *p != 0; ++p) {
    if (*p >= 0x20 && *p <= 0x7E && *p != u'"' && *p != u'%') {
      out += static_cast<char>(*p);
    } else {
      out += '%';
      AppendHex(out, *p, 4);
    }
  }
  out += '"';
  return out;
}

bool JournalingDevice::MessageBeep(uint32_t type) {
  sink_.AppendLine(Line("MessageBeep").Number(type).text());
  return inner_.MessageBeep(type);
}

void JournalingDevice::Sleep(uint32_t milliseconds) {
  sink_.AppendLine(Line("Sleep").Number(milliseconds).text());
  inner_.Sleep(milliseconds);
}

// The document and its flags, "=>" and the result, then the output document when one came back:
// written after the call, since only then is the result known.
uint32_t JournalingDevice::ProcessConfigXml(const char16_t* document, uint32_t flags, std::u16string* output) {
  std::u16string answers;
  uint32_t result = inner_.ProcessConfigXml(document, flags, &answers);
  Line line("DMProcessConfigXML");
  line.Text(document).Number(flags);
  line.Arrow().Number(result);
  if (!answers.empty()) line.Text(answers.c_str());
  sink_.AppendLine(line.text());
  if (output != nullptr) *output = std::move(answers);
  return result;
}

bool JournalingDevice::KernelIoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                                       uint32_t* returned) {
  Line line("KernelIoControl");
  line.Number(code).Number(inSize).Number(outSize);
  if (in != nullptr && inSize > 0) line.Bytes(in, inSize);
  sink_.AppendLine(line.text());
  return inner_.KernelIoControl(code, in, inSize, out, outSize, returned);
}

bool JournalingDevice::SetCleanRebootFlag() {
  sink_.AppendLine("SetCleanRebootFlag");
  return inner_.SetCleanRebootFlag();
}

bool JournalingDevice::GwesPowerOffSystem() {
  sink_.AppendLine("GwesPowerOffSystem");
  return inner_.GwesPowerOffSystem();
}

bool JournalingDevice::ExitWindowsEx(uint32_t flags, uint32_t reserved) {
  sink_.AppendLine(Line("ExitWindowsEx").Number(flags).Number(reserved).text());
  return inner_.ExitWindowsEx(flags, reserved);
}

void JournalingDevice::KeybdEvent(uint8_t virtualKey, uint8_t scanCode, uint32_t flags, uintptr_t extraInfo) {
  sink_.AppendLine(Line("keybd_event")
                       .Number(virtualKey)
                       .Number(scanCode)
                       .Number(flags)
                       .Number(static_cast<uint32_t>(extraInfo))
                       .text());
  inner_.KeybdEvent(virtualKey, scanCode, flags, extraInfo);
}

bool JournalingDevice::PlaySoundW(const char16_t* name, uint32_t flags) {
  sink_.AppendLine(Line("PlaySoundW").Text(name).Number(flags).text());
  return inner_.PlaySoundW(name, flags);
}

uint32_t StandInDevice::ProcessConfigXml(const char16_t* document, uint32_t flags, std::u16string* output) {
  return ProcessConfigXmlStandIn(document, flags, output);
}

}  // namespace orvinta::platform
