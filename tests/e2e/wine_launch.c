/* Starts the Windows program under Wine with an exact command line.
 *
 * Wine builds a command line from Unix arguments by quoting any argument with a blank and
 * escaping its quotes, and converts it through the locale's code page. A script case needs its
 * text passed unchanged (quotes, tabs, line breaks, any code unit), so run-e2e writes the text
 * as UTF-16 LE to a file and this launcher hands it to CreateProcessW behind the program's
 * quoted path, with the given folder (the case's mapped drive) as the current directory.
 *
 *   e2e-launch.exe PROGRAM SCRIPT-FILE CURRENT-DIR TIMEOUT-MS
 *
 * Exit status: the program's own exit code; 250 + a message on stderr when the launch itself
 * fails, and after killing the program when it outlives the timeout.
 */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static int fail(const wchar_t* what, const wchar_t* detail) {
  fwprintf(stderr, L"e2e-launch: %ls %ls (error %lu)\n", what, detail, GetLastError());
  return 250;
}

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) return fail(L"usage:", L"PROGRAM SCRIPT-FILE CURRENT-DIR TIMEOUT-MS");
  const wchar_t* program = argv[1];

  HANDLE file = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return fail(L"cannot open", argv[2]);
  DWORD bytes = GetFileSize(file, NULL);
  size_t programLength = wcslen(program);
  /* '"' program '"' ' ' script '\0' */
  wchar_t* commandLine = calloc(programLength + 4 + bytes / 2 + 1, sizeof(wchar_t));
  if (commandLine == NULL) return fail(L"out of memory for", argv[2]);
  commandLine[0] = L'"';
  wmemcpy(commandLine + 1, program, programLength);
  commandLine[programLength + 1] = L'"';
  commandLine[programLength + 2] = L' ';
  DWORD read = 0;
  if (!ReadFile(file, commandLine + programLength + 3, bytes, &read, NULL) || read != bytes) {
    return fail(L"cannot read", argv[2]);
  }
  CloseHandle(file);

  STARTUPINFOW startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(program, commandLine, NULL, NULL, FALSE, 0, NULL, argv[3], &startup, &process)) {
    return fail(L"cannot start", program);
  }
  if (WaitForSingleObject(process.hProcess, (DWORD)wcstoul(argv[4], NULL, 10)) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 251);
    return fail(L"timed out:", program);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  return (int)code;
}
