// The program's own copies of the Win32 numbers must be the platform's.
#include <windows.h>
#include <mmsystem.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <commctrl.h>

#include "platform/constants.h"
#include "platform/files.h"

namespace orvinta::win {

static_assert(kErrorSuccess == ERROR_SUCCESS);
static_assert(kErrorInvalidFunction == ERROR_INVALID_FUNCTION);
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(kErrorNoMoreFiles == ERROR_NO_MORE_FILES);
static_assert(kErrorNotSameDevice == ERROR_NOT_SAME_DEVICE);
static_assert(kErrorReadFault == ERROR_READ_FAULT);
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kErrorFileExists == ERROR_FILE_EXISTS);
static_assert(kErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kErrorOpenFailed == ERROR_OPEN_FAILED);
static_assert(kErrorDiskFull == ERROR_DISK_FULL);
static_assert(kErrorNegativeSeek == ERROR_NEGATIVE_SEEK);
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kErrorInvalidName == ERROR_INVALID_NAME);
static_assert(kErrorBadNetpath == ERROR_BAD_NETPATH);
static_assert(kErrorBadPathname == ERROR_BAD_PATHNAME);
static_assert(kErrorModuleNotFound == ERROR_MOD_NOT_FOUND);
static_assert(kErrorProcNotFound == ERROR_PROC_NOT_FOUND);
static_assert(kErrorDirNotEmpty == ERROR_DIR_NOT_EMPTY);
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(kErrorFilenameExceedsRange == ERROR_FILENAME_EXCED_RANGE);
static_assert(kErrorMoreData == ERROR_MORE_DATA);
static_assert(kErrorDirectory == ERROR_DIRECTORY);
static_assert(kErrorCantResolveFilename == ERROR_CANT_RESOLVE_FILENAME);
static_assert(kErrorCantAccessFile == ERROR_CANT_ACCESS_FILE);
static_assert(kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
static_assert(kErrorRegistryCorrupt == ERROR_BADDB);
static_assert(kErrorBadKey == ERROR_BADKEY);
static_assert(kErrorCantOpenKey == ERROR_CANTOPEN);
static_assert(kErrorCantRead == ERROR_CANTREAD);
static_assert(kErrorCantWrite == ERROR_CANTWRITE);
static_assert(kErrorStackOverflow == ERROR_STACK_OVERFLOW);
static_assert(kErrorNotRegistryFile == ERROR_NOT_REGISTRY_FILE);
static_assert(kErrorKeyDeleted == ERROR_KEY_DELETED);

static_assert(kENotImpl == static_cast<uint32_t>(E_NOTIMPL));
static_assert(kENoInterface == static_cast<uint32_t>(E_NOINTERFACE));
static_assert(kEPointer == static_cast<uint32_t>(E_POINTER));
static_assert(kEAbort == static_cast<uint32_t>(E_ABORT));
static_assert(kEFail == static_cast<uint32_t>(E_FAIL));
static_assert(kEUnexpected == static_cast<uint32_t>(E_UNEXPECTED));
static_assert(kEAccessDenied == static_cast<uint32_t>(E_ACCESSDENIED));
static_assert(kEOutOfMemory == static_cast<uint32_t>(E_OUTOFMEMORY));
static_assert(kEInvalidArg == static_cast<uint32_t>(E_INVALIDARG));

static_assert(kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kRegSz == REG_SZ);
static_assert(kRegExpandSz == REG_EXPAND_SZ);
static_assert(kRegBinary == REG_BINARY);
static_assert(kRegDword == REG_DWORD);
static_assert(kRegMultiSz == REG_MULTI_SZ);
static_assert(kRtRcData == 10);
static_assert(kCsidlPrograms == CSIDL_PROGRAMS);
static_assert(kCsidlPersonal == CSIDL_PERSONAL);
static_assert(kCsidlStartup == CSIDL_STARTUP);
static_assert(kCsidlStartMenu == CSIDL_STARTMENU);
static_assert(kCsidlAppData == CSIDL_APPDATA);
static_assert(kCsidlWindows == CSIDL_WINDOWS);
static_assert(kCsidlProgramFiles == CSIDL_PROGRAM_FILES);
static_assert(kMaxPath == MAX_PATH);
static_assert(kCpAcp == CP_ACP);

namespace files_check {
using namespace orvinta::platform;
static_assert(kGenericRead == GENERIC_READ && kGenericWrite == GENERIC_WRITE);
static_assert(kFileShareRead == FILE_SHARE_READ && kFileShareWrite == FILE_SHARE_WRITE);
static_assert(kCreateNew == CREATE_NEW && kCreateAlways == CREATE_ALWAYS && kOpenExisting == OPEN_EXISTING);
static_assert(kOpenAlways == OPEN_ALWAYS && kTruncateExisting == TRUNCATE_EXISTING);
static_assert(kFileBegin == FILE_BEGIN && kFileCurrent == FILE_CURRENT && kFileEnd == FILE_END);
static_assert(kFileAttributeReadonly == FILE_ATTRIBUTE_READONLY && kFileAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kFileAttributeArchive == FILE_ATTRIBUTE_ARCHIVE && kFileAttributeNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(kFileAttributeDevice == FILE_ATTRIBUTE_DEVICE && kFileAttributeReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(kInvalidFileAttributes == INVALID_FILE_ATTRIBUTES && kInvalidFileSize == INVALID_FILE_SIZE);
static_assert(kInvalidSetFilePointer == INVALID_SET_FILE_POINTER);
static_assert(sizeof(FindData::name) / sizeof(char16_t) == MAX_PATH);
}  // namespace files_check

static_assert(kInfinite == INFINITE);
static_assert(kWaitObject0 == WAIT_OBJECT_0);
static_assert(kWaitTimeout == WAIT_TIMEOUT);
static_assert(kWaitFailed == WAIT_FAILED);
static_assert(kTh32csSnapProcess == TH32CS_SNAPPROCESS);
static_assert(kProcessTerminate == PROCESS_TERMINATE);
static_assert(kKeyEventFKeyUp == KEYEVENTF_KEYUP);
static_assert(kEwxReboot == EWX_REBOOT);
static_assert(kEwxPowerOff == EWX_POWEROFF);
static_assert(kSndAsync == SND_ASYNC);
static_assert(kSndLoop == SND_LOOP);
static_assert(kSndAlias == SND_ALIAS);
static_assert(kSndFilename == SND_FILENAME);

static_assert(kMbOk == MB_OK && kMbOkCancel == MB_OKCANCEL && kMbAbortRetryIgnore == MB_ABORTRETRYIGNORE);
static_assert(kMbYesNoCancel == MB_YESNOCANCEL && kMbYesNo == MB_YESNO && kMbRetryCancel == MB_RETRYCANCEL);
static_assert(kMbCancelTryContinue == MB_CANCELTRYCONTINUE && kMbTypeMask == MB_TYPEMASK);
static_assert(kMbIconHand == MB_ICONHAND && kMbIconQuestion == MB_ICONQUESTION);
static_assert(kMbIconExclamation == MB_ICONEXCLAMATION && kMbIconAsterisk == MB_ICONASTERISK);
static_assert(kMbIconMask == MB_ICONMASK && kMbDefMask == MB_DEFMASK && kMbSetForeground == MB_SETFOREGROUND);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL && kIdAbort == IDABORT && kIdRetry == IDRETRY);
static_assert(kIdIgnore == IDIGNORE && kIdYes == IDYES && kIdNo == IDNO && kIdTryAgain == IDTRYAGAIN);
static_assert(kIdContinue == IDCONTINUE);
static_assert(kTbStateEnabled == TBSTATE_ENABLED && kTbStateHidden == TBSTATE_HIDDEN);

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 crosses the boundary unconverted");

}  // namespace orvinta::win
