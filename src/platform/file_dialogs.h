// What the file-name picker asks of the platform: the libraries whose open and save dialogs it
// tries, the call into one of them, a message box, and the facts of the platform it runs on.
//
// Contract: the picker fills one FileDialogRecord; the backend lays it out as the library
// expects (the device's 76-byte record, or 84 bytes for the shell's extended dialog, or the
// desktop's own record size) and copies the chosen name back into `file`. A library that is
// missing is a null handle, never a failure shown to the user. Where a platform has none of the
// device's dialog libraries, LoadDialogLibrary may answer the core library's name with the
// platform's own open dialog (a desktop's comdlg32).
#pragma once
#include <cstdint>

#include "platform/processes.h"

namespace orvinta::platform {

struct FileDialogRecord {
  uint32_t size;                     // 76, or 84 with the two extended fields
  uintptr_t owner;                   // the dialog that asked
  const char16_t* filter;            // description and pattern pairs, each zero-terminated, a zero at the end
  char16_t* file;                    // the initial name in, the chosen path out
  uint32_t fileUnits;                // 260
  const char16_t* initialDirectory;  // "\"
  const char16_t* title;
  uint32_t flags;
  const char16_t* defaultExtension;  // ".ovs"; null for none
  uint32_t sortOrder;                // 84-byte form only
  uint32_t extendedFlags;            // 84-byte form only
};

// How a library's dialog function is called.
enum class FileDialogForm : uint8_t {
  kRecord,              // function(record)
  kSaveFlagThenRecord,  // function(save flag, record): tGetFile
};

class FileDialogs {
 public:
  virtual ~FileDialogs() = default;
  virtual ModuleHandle LoadDialogLibrary(const char16_t* name) = 0;
  virtual ExportAddress GetProcAddressW(ModuleHandle module, const char16_t* name) = 0;
  virtual void FreeLibrary(ModuleHandle module) = 0;
  // Calls the dialog function; its return value (non-zero: a name was chosen).
  virtual int32_t CallDialog(ExportAddress function, FileDialogForm form, bool save, FileDialogRecord& record) = 0;
  // MessageBoxW(owner, text, caption, type): the button chosen.
  virtual int32_t MessageBoxW(uintptr_t owner, const char16_t* text, const char16_t* caption, uint32_t type) = 0;
  // GetVersionExW: the system's major and minor version.
  virtual void GetVersion(uint32_t* major, uint32_t* minor) = 0;
  // SystemParametersInfoW(SPI_GETPLATFORMTYPE) into `buffer` of `units` units: "PocketPC",
  // "Smartphone"; empty where the platform has no such text.
  virtual void PlatformType(char16_t* buffer, uint32_t units) = 0;
};

// The backend's own.
FileDialogs& DefaultFileDialogs();

}  // namespace orvinta::platform
