#include "platform/file_primitives.h"

#include <cstdlib>

#include "platform/platform.h"

namespace orvinta::platform {

namespace pf = platform;

pf::FileHandle OpenFileForAccess(const char16_t* path, uint32_t access) {
  uint32_t disposition = access == pf::kGenericWrite                       ? pf::kCreateAlways
                         : access == (pf::kGenericRead | pf::kGenericWrite) ? pf::kOpenAlways
                                                                            : pf::kOpenExisting;
  pf::FileHandle file = pf::Get().files->CreateFileW(path, access, pf::kFileShareRead, disposition, 0);
  return file == pf::kInvalidHandleValue ? nullptr : file;
}

void* ReadWholeFile(const char16_t* path, void* buffer, uint32_t* length) {
  pf::Files& fs = *pf::Get().files;
  pf::FileHandle file = OpenFileForAccess(path, pf::kGenericRead);
  if (file == nullptr) return nullptr;
  uint32_t size = fs.GetFileSize(file, nullptr);
  if (size == pf::kInvalidFileSize) size = 0;
  uint32_t toRead = length != nullptr && *length < size ? *length : size;
  auto* bytes = static_cast<unsigned char*>(buffer);
  if (bytes == nullptr) {
    bytes = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(toRead) + 16));
    if (bytes == nullptr) {
      fs.CloseHandle(file);
      return nullptr;
    }
  }
  uint32_t read = 0;
  fs.ReadFile(file, bytes, toRead, &read);
  if (read > toRead) read = toRead;  // a platform that over-reports must not push the zeros out
  bytes[read] = 0;
  bytes[static_cast<size_t>(read) + 1] = 0;
  if (length != nullptr) *length = read;
  fs.CloseHandle(file);
  return bytes;
}

uint32_t WriteWholeFile(const char16_t* path, const void* data, uint32_t count, bool append) {
  pf::Files& fs = *pf::Get().files;
  pf::FileHandle file = OpenFileForAccess(path, append ? pf::kGenericRead | pf::kGenericWrite : pf::kGenericWrite);
  if (file == nullptr) return 0;
  if (append) fs.SetFilePointer(file, 0, nullptr, pf::kFileEnd);
  uint32_t written = 0;
  fs.WriteFile(file, data, count, &written);
  fs.CloseHandle(file);
  return written;
}

int CreateDirectoryChain(char16_t* path) {
  pf::Files& fs = *pf::Get().files;
  for (char16_t* p = path; *p != 0; ++p) {
    if (*p != u'\\') continue;
    *p = 0;
    pf::FileAttributeData data;
    // The empty prefix before a leading "\" fails both calls, so it creates nothing.
    if (!fs.GetFileAttributesExW(path, &data) || (data.attributes & pf::kFileAttributeDirectory) == 0) {
      fs.CreateDirectoryW(path);
    }
    *p = u'\\';
  }
  return 1;
}

bool IsFolder(const char16_t* path) {
  pf::FileAttributeData data;
  return pf::Get().files->GetFileAttributesExW(path, &data) && (data.attributes & pf::kFileAttributeDirectory) != 0;
}

}  // namespace orvinta::platform
