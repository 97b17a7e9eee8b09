#include "platform/host/win32_errors.h"

#include <cerrno>

#include "platform/constants.h"

namespace orvinta::platform::host {

uint32_t Win32ErrorFromErrno(int error, FailedCall call, bool folderExists) {
  switch (error) {
    case 0: return win::kErrorSuccess;
    case ENOENT: return folderExists ? win::kErrorFileNotFound : win::kErrorPathNotFound;
    case ENOTDIR: return call == FailedCall::kRemoveDirectory ? win::kErrorDirectory : win::kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return win::kErrorAccessDenied;
    case EEXIST: return call == FailedCall::kCreateNew ? win::kErrorFileExists : win::kErrorAlreadyExists;
    case ENOTEMPTY: return win::kErrorDirNotEmpty;
    case ENOSPC:
    case EDQUOT: return win::kErrorDiskFull;
    case ENAMETOOLONG: return win::kErrorFilenameExceedsRange;
    case ENOMEM: return win::kErrorNotEnoughMemory;
    case EBADF: return win::kErrorInvalidHandle;
    case EBUSY:
    case ETXTBSY: return win::kErrorSharingViolation;
    case ELOOP: return win::kErrorCantResolveFilename;
    case EINVAL: return win::kErrorInvalidParameter;
    case EXDEV: return win::kErrorNotSameDevice;
    case EIO: return win::kErrorReadFault;
    default: return win::kErrorInvalidFunction;
  }
}

}  // namespace orvinta::platform::host
