#include "platform/host/system_messages.h"

#include "platform/constants.h"

namespace orvinta::platform::host {

namespace {

struct Message {
  uint32_t code;
  std::u16string_view text;
};

constexpr Message kMessages[] = {
    {win::kErrorSuccess, u"The operation completed successfully.\r\n"},
    {win::kErrorInvalidFunction, u"Incorrect function.\r\n"},
    {win::kErrorFileNotFound, u"The system cannot find the file specified.\r\n"},
    {win::kErrorPathNotFound, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {win::kErrorAccessDenied, u"Access is denied.\r\n"},
    {win::kErrorInvalidHandle, u"The handle is invalid.\r\n"},
    {7, u"The storage control blocks were destroyed.\r\n"},
    {win::kErrorNotEnoughMemory, u"Not enough memory resources are available to process this command.\r\n"},
    {13, u"The data is invalid.\r\n"},
    {14, u"Not enough memory resources are available to complete this operation.\r\n"},
    {win::kErrorNoMoreFiles, u"There are no more files.\r\n"},
    {win::kErrorNotSameDevice, u"The system cannot move the file to a different disk drive.\r\n"},
    {win::kErrorReadFault, u"The system cannot read from the specified device.\r\n"},
    {win::kErrorSharingViolation, u"The process cannot access the file because it is being used by another process.\r\n"},
    {win::kErrorBadNetpath, u"The network path was not found.\r\n"},
    {win::kErrorFileExists, u"The file exists.\r\n"},
    {win::kErrorInvalidParameter, u"The parameter is incorrect.\r\n"},
    {win::kErrorOpenFailed, u"The system cannot open the device or file specified.\r\n"},
    {win::kErrorDiskFull, u"There is not enough space on the disk.\r\n"},
    {win::kErrorNegativeSeek, u"An attempt was made to move the file pointer before the beginning of the file.\r\n"},
    {win::kErrorInsufficientBuffer, u"The data area passed to a system call is too small.\r\n"},
    {win::kErrorInvalidName, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {win::kErrorModuleNotFound, u"The specified module could not be found.\r\n"},
    {win::kErrorProcNotFound, u"The specified procedure could not be found.\r\n"},
    {win::kErrorDirNotEmpty, u"The directory is not empty.\r\n"},
    {win::kErrorAlreadyExists, u"Cannot create a file when that file already exists.\r\n"},
    {win::kErrorBadPathname, u"The specified path is invalid.\r\n"},
    {193, u"%1 is not a valid Win32 application.\r\n"},
    {win::kErrorFilenameExceedsRange, u"The filename or extension is too long.\r\n"},
    {win::kErrorMoreData, u"More data is available.\r\n"},
    {win::kErrorNoMoreItems, u"No more data is available.\r\n"},
    {win::kErrorDirectory, u"The directory name is invalid.\r\n"},
    {win::kErrorStackOverflow, u"Recursion too deep; the stack overflowed.\r\n"},
    {win::kErrorRegistryCorrupt, u"The configuration registry database is corrupt.\r\n"},
    {win::kErrorBadKey, u"The configuration registry key is invalid.\r\n"},
    {win::kErrorCantOpenKey, u"The configuration registry key could not be opened.\r\n"},
    {win::kErrorCantRead, u"The configuration registry key could not be read.\r\n"},
    {win::kErrorCantWrite, u"The configuration registry key could not be written.\r\n"},
    {win::kErrorNotRegistryFile,
     u"The system has attempted to load or restore a file into the registry, but the specified file is not in a "
     u"registry file format.\r\n"},
    {win::kErrorKeyDeleted, u"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {win::kErrorCantAccessFile, u"The file cannot be accessed by the system.\r\n"},
    {win::kErrorCantResolveFilename, u"The name of the file cannot be resolved by the system.\r\n"},
    {win::kENotImpl, u"Not implemented\r\n"},
    {win::kENoInterface, u"No such interface supported\r\n"},
    {win::kEPointer, u"Invalid pointer\r\n"},
    {win::kEAbort, u"Operation aborted\r\n"},
    {win::kEFail, u"Unspecified error\r\n"},
    {win::kEUnexpected, u"Catastrophic failure\r\n"},
    {win::kEAccessDenied, u"Access is denied.\r\n"},
    {win::kEOutOfMemory, u"Not enough memory resources are available to complete this operation.\r\n"},
    {win::kEInvalidArg, u"The parameter is incorrect.\r\n"},
};

}  // namespace

std::u16string_view SystemMessageText(uint32_t code) {
  for (const Message& message : kMessages) {
    if (message.code == code) return message.text;
  }
  return {};
}

}  // namespace orvinta::platform::host
