// A processes service that passes every call to the one in force when it was made; tests
// derive from it and change the calls they are about.
#pragma once
#include "platform/platform.h"

namespace orvinta::test {

class ForwardingProcesses : public platform::Processes {
 public:
  ForwardingProcesses() : inner_(*platform::Get().processes) {}

  uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) override {
    return inner_.ModuleFileName(buffer, capacity);
  }
  bool FindResourceData(std::u16string_view name, uint32_t type, platform::ResourceBytes* out) override {
    return inner_.FindResourceData(name, type, out);
  }
  bool CreateProcessW(const char16_t* application, char16_t* commandLine, platform::ProcessInformation* info) override {
    return inner_.CreateProcessW(application, commandLine, info);
  }
  uint32_t WaitForSingleObject(platform::Handle object, uint32_t milliseconds) override {
    return inner_.WaitForSingleObject(object, milliseconds);
  }
  bool CloseHandle(platform::Handle object) override { return inner_.CloseHandle(object); }
  platform::Handle CreateToolhelp32Snapshot(uint32_t flags, uint32_t processId) override {
    return inner_.CreateToolhelp32Snapshot(flags, processId);
  }
  bool Process32FirstW(platform::Handle snapshot, platform::ProcessEntry* entry) override {
    return inner_.Process32FirstW(snapshot, entry);
  }
  bool Process32NextW(platform::Handle snapshot, platform::ProcessEntry* entry) override {
    return inner_.Process32NextW(snapshot, entry);
  }
  bool CloseToolhelp32Snapshot(platform::Handle snapshot) override { return inner_.CloseToolhelp32Snapshot(snapshot); }
  platform::Handle OpenProcess(uint32_t access, bool inherit, uint32_t processId) override {
    return inner_.OpenProcess(access, inherit, processId);
  }
  bool TerminateProcess(platform::Handle process, uint32_t exitCode) override {
    return inner_.TerminateProcess(process, exitCode);
  }
  platform::ModuleHandle LoadLibraryW(const char16_t* path) override { return inner_.LoadLibraryW(path); }
  platform::ExportAddress GetProcAddressW(platform::ModuleHandle module, const char16_t* name) override {
    return inner_.GetProcAddressW(module, name);
  }
  bool FreeLibrary(platform::ModuleHandle module) override { return inner_.FreeLibrary(module); }
  int32_t CallExport(platform::ExportAddress function, const uintptr_t* words, int count) override {
    return inner_.CallExport(function, words, count);
  }

 private:
  platform::Processes& inner_;
};

}  // namespace orvinta::test
