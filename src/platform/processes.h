// Processes, libraries, modules and resources.
//
// Contract: the calls mirror their Win32 namesakes and report failure the same way (false, a
// null handle, or kInvalidHandleValue for a snapshot). Every handle a call returns is the
// caller's to close: process and thread handles with CloseHandle, snapshots with
// CloseToolhelp32Snapshot, libraries with FreeLibrary. A process keeps running when its handles
// are closed. Texts are zero-terminated UTF-16; the command line passed to CreateProcessW is
// writable, as Win32 requires, and is handed to the program whole.
//
// The program's own path comes back as a zero-terminated UTF-16 text that fits the caller's
// buffer (cut to fit, never overrun). A resource is found by name without regard to case; its
// bytes belong to the program image, are read-only and live for the whole process. A missing
// resource is reported as absent, never as an empty one.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/constants.h"
#include "platform/handle.h"

namespace orvinta::platform {

// A loaded library and one of its exports.
using ModuleHandle = void*;
using ExportAddress = void*;

struct ResourceBytes {
  const void* data = nullptr;
  uint32_t size = 0;  // in bytes
};

// PROCESS_INFORMATION.
struct ProcessInformation {
  Handle process = nullptr;
  Handle thread = nullptr;
  uint32_t processId = 0;
  uint32_t threadId = 0;
};

// The fields of PROCESSENTRY32 that the program reads: the identifier and the executable's file
// name without its folder, zero-terminated.
struct ProcessEntry {
  uint32_t processId = 0;
  char16_t exeFile[win::kMaxPath] = {};
};

class Processes {
 public:
  virtual ~Processes() = default;

  // GetModuleFileNameW for the program itself: the number of code units written without the
  // terminator, 0 on failure. The buffer always ends with a zero when capacity > 0.
  virtual uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) = 0;

  // FindResourceW + LoadResource: false when the resource is missing or cannot be loaded.
  virtual bool FindResourceData(std::u16string_view name, uint32_t type, ResourceBytes* out) = 0;

  // CreateProcessW(applicationName, commandLine, no security attributes, handles not
  // inherited, creation flags 0, no environment block, no current directory, no start-up
  // information, information). commandLine may be null. False when the program can't start.
  virtual bool CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                              ProcessInformation* information) = 0;

  // WaitForSingleObject: kWaitObject0 when the object is signalled (a process has ended),
  // kWaitTimeout, or kWaitFailed.
  virtual uint32_t WaitForSingleObject(Handle object, uint32_t milliseconds) = 0;

  virtual bool CloseHandle(Handle object) = 0;

  // The process list: CreateToolhelp32Snapshot(kTh32csSnapProcess, 0) and its walk.
  virtual Handle CreateToolhelp32Snapshot(uint32_t flags, uint32_t processId) = 0;
  virtual bool Process32FirstW(Handle snapshot, ProcessEntry* entry) = 0;
  virtual bool Process32NextW(Handle snapshot, ProcessEntry* entry) = 0;
  virtual bool CloseToolhelp32Snapshot(Handle snapshot) = 0;

  // OpenProcess: null when the process can't be opened with that access.
  virtual Handle OpenProcess(uint32_t access, bool inheritHandle, uint32_t processId) = 0;
  // TerminateProcess: ends the process at once; false when it can't.
  virtual bool TerminateProcess(Handle process, uint32_t exitCode) = 0;

  // LoadLibraryW: null when the library is missing or is not a library.
  virtual ModuleHandle LoadLibraryW(const char16_t* path) = 0;
  // GetProcAddressW: the export of that UTF-16 name, or null.
  virtual ExportAddress GetProcAddressW(ModuleHandle module, const char16_t* name) = 0;
  virtual bool FreeLibrary(ModuleHandle module) = 0;

  // Calls an export with exactly `count` (0 to 4) machine-word arguments in the platform's
  // standard calling convention and returns the low 32 bits of its return value.
  virtual int32_t CallExport(ExportAddress function, const uintptr_t* words, int count) = 0;
};

}  // namespace orvinta::platform
