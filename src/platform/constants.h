// Numbers the program shares with Win32: error codes, HRESULTs and the flags it passes.
// They are the Win32 values on both builds, so a result reads the same everywhere; the
// win32 backend checks every one of them against <windows.h>.
#pragma once
#include <cstdint>

namespace orvinta::win {

// System error codes (winerror.h).
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorInvalidFunction = 1;
inline constexpr uint32_t kErrorFileNotFound = 2;
inline constexpr uint32_t kErrorPathNotFound = 3;
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorNoMoreFiles = 18;
inline constexpr uint32_t kErrorNotSameDevice = 17;
inline constexpr uint32_t kErrorReadFault = 30;
inline constexpr uint32_t kErrorSharingViolation = 32;
inline constexpr uint32_t kErrorBadNetpath = 53;
inline constexpr uint32_t kErrorFileExists = 80;
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorOpenFailed = 110;
inline constexpr uint32_t kErrorDiskFull = 112;
inline constexpr uint32_t kErrorNegativeSeek = 131;
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
inline constexpr uint32_t kErrorInvalidName = 123;
inline constexpr uint32_t kErrorBadPathname = 161;
inline constexpr uint32_t kErrorModuleNotFound = 126;
inline constexpr uint32_t kErrorProcNotFound = 127;
inline constexpr uint32_t kErrorDirNotEmpty = 145;
inline constexpr uint32_t kErrorAlreadyExists = 183;
inline constexpr uint32_t kErrorFilenameExceedsRange = 206;
inline constexpr uint32_t kErrorMoreData = 234;
inline constexpr uint32_t kErrorDirectory = 267;
inline constexpr uint32_t kErrorCantAccessFile = 1920;
inline constexpr uint32_t kErrorCantResolveFilename = 1921;
inline constexpr uint32_t kErrorNoMoreItems = 259;
inline constexpr uint32_t kErrorRegistryCorrupt = 1009;
inline constexpr uint32_t kErrorBadKey = 1010;
inline constexpr uint32_t kErrorCantOpenKey = 1011;
inline constexpr uint32_t kErrorCantRead = 1012;
inline constexpr uint32_t kErrorCantWrite = 1013;
inline constexpr uint32_t kErrorStackOverflow = 1001;
inline constexpr uint32_t kErrorNotRegistryFile = 1017;
inline constexpr uint32_t kErrorKeyDeleted = 1018;

// HRESULTs (as unsigned bit patterns; a result holds them as signed 32-bit values).
inline constexpr uint32_t kSOk = 0;
inline constexpr uint32_t kENotImpl = 0x80004001;
inline constexpr uint32_t kENoInterface = 0x80004002;
inline constexpr uint32_t kEPointer = 0x80004003;
inline constexpr uint32_t kEAbort = 0x80004004;
inline constexpr uint32_t kEFail = 0x80004005;
inline constexpr uint32_t kEUnexpected = 0x8000FFFF;
inline constexpr uint32_t kEAccessDenied = 0x80070005;
inline constexpr uint32_t kEOutOfMemory = 0x8007000E;
inline constexpr uint32_t kEInvalidArg = 0x80070057;

// Registry: the predefined root keys (as 32-bit handle values; a handle sign-extends them), the
// access mask the program asks for, and the value types it names.
inline constexpr uint32_t kHkeyClassesRoot = 0x80000000;
inline constexpr uint32_t kHkeyCurrentUser = 0x80000001;
inline constexpr uint32_t kHkeyLocalMachine = 0x80000002;
inline constexpr uint32_t kHkeyUsers = 0x80000003;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegMuiSz = 21;  // the device's MUI string type

// Resource type of the default script.
inline constexpr uint32_t kRtRcData = 10;

// Special folders (shlobj.h CSIDL values) that the macros name.
inline constexpr int kCsidlPrograms = 0x02;
inline constexpr int kCsidlPersonal = 0x05;
inline constexpr int kCsidlStartup = 0x07;
inline constexpr int kCsidlStartMenu = 0x0B;
inline constexpr int kCsidlAppData = 0x1A;
inline constexpr int kCsidlWindows = 0x24;
inline constexpr int kCsidlProgramFiles = 0x26;

// The ANSI code page of the text conversions.
inline constexpr uint32_t kCpAcp = 0;

// Configuration manager: process the document; its own HRESULTs.
inline constexpr uint32_t kCfgFlagProcess = 1;
inline constexpr uint32_t kConfigEEntryNotFound = 0x80042004;
inline constexpr uint32_t kConfigEBadXml = 0x80042009;

// HRESULT_FROM_WIN32.
constexpr uint32_t HresultFromWin32(uint32_t error) { return error == 0 ? 0 : (error & 0xFFFF) | 0x80070000; }

// Processes: waiting, the process list and termination.
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;
inline constexpr uint32_t kWaitObject0 = 0;
inline constexpr uint32_t kWaitTimeout = 258;
inline constexpr uint32_t kWaitFailed = 0xFFFFFFFF;
inline constexpr uint32_t kTh32csSnapProcess = 2;
inline constexpr uint32_t kProcessTerminate = 1;

// Key events (keybd_event). VK_OFF and KEYEVENTF_SILENT exist only on Windows CE.
inline constexpr uint8_t kVkOff = 0xDF;
inline constexpr uint32_t kKeyEventFKeyUp = 2;
inline constexpr uint32_t kKeyEventFSilent = 4;

// ExitWindowsEx.
inline constexpr uint32_t kEwxReboot = 2;
inline constexpr uint32_t kEwxPowerOff = 8;

// PlaySoundW.
inline constexpr uint32_t kSndAsync = 0x1;
inline constexpr uint32_t kSndLoop = 0x8;
inline constexpr uint32_t kSndAlias = 0x10000;
inline constexpr uint32_t kSndFilename = 0x20000;

// KernelIoControl: the hardware layer's reboot request (Windows CE only).
inline constexpr uint32_t kIoctlHalReboot = 0x0101003C;

// Message boxes (MessageBoxW): the button sets, icons and default buttons of the type word,
// the flag MSGX adds, and the buttons' numbers.
inline constexpr uint32_t kMbOk = 0x0;
inline constexpr uint32_t kMbOkCancel = 0x1;
inline constexpr uint32_t kMbAbortRetryIgnore = 0x2;
inline constexpr uint32_t kMbYesNoCancel = 0x3;
inline constexpr uint32_t kMbYesNo = 0x4;
inline constexpr uint32_t kMbRetryCancel = 0x5;
inline constexpr uint32_t kMbCancelTryContinue = 0x6;
inline constexpr uint32_t kMbTypeMask = 0xF;
inline constexpr uint32_t kMbIconHand = 0x10;
inline constexpr uint32_t kMbIconQuestion = 0x20;
inline constexpr uint32_t kMbIconExclamation = 0x30;
inline constexpr uint32_t kMbIconAsterisk = 0x40;
inline constexpr uint32_t kMbIconMask = 0xF0;
inline constexpr uint32_t kMbDefMask = 0xF00;
inline constexpr uint32_t kMbSetForeground = 0x10000;
inline constexpr int32_t kIdOk = 1;
inline constexpr int32_t kIdCancel = 2;
inline constexpr int32_t kIdAbort = 3;
inline constexpr int32_t kIdRetry = 4;
inline constexpr int32_t kIdIgnore = 5;
inline constexpr int32_t kIdYes = 6;
inline constexpr int32_t kIdNo = 7;
inline constexpr int32_t kIdTryAgain = 10;
inline constexpr int32_t kIdContinue = 11;

// Menu-bar button states (TBSTATE_*): "leave as the resource says" and "hidden".
inline constexpr uint8_t kTbStateEnabled = 4;
inline constexpr uint8_t kTbStateHidden = 8;

// Paths, including the terminator.
inline constexpr uint32_t kMaxPath = 260;

// Results are signed 32-bit values; this spells an unsigned code as one.
constexpr int32_t AsResult(uint32_t code) { return static_cast<int32_t>(code); }

}  // namespace orvinta::win
