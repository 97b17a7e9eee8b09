// What the program's own windows share: the blank template every run-time dialog is made from,
// the full-screen set-up with its two commands, and the widening of a control to the dialog's
// right edge.
#pragma once
#include <windows.h>

namespace orvinta::platform::win32 {

// Resources of the two-button bar (app/resources/orvinta.rc): menu bar 504, and the captions
// of its commands 1 and 2.
inline constexpr UINT kOkCancelMenuBar = 504;
inline constexpr UINT kOkString = 504;      // "确定"
inline constexpr UINT kCancelString = 505;  // "取消"

// A dialog with no controls, 100 by 100 dialog units, captioned "Orvinta": WS_POPUP,
// WS_VISIBLE, WS_BORDER, DS_CENTER, DS_SETFOREGROUND. Controls are made at run time.
const DLGTEMPLATE* BlankDialogTemplate();

// Turns the dialog into a full-screen one with commands 1 (left) and 2 (right). Where the
// Windows Mobile menu bar exists, menu bar `menuBarId` is made and each command's state set
// unless it is TBSTATE_ENABLED (which leaves the resource's); `overrideBack` routes the Back key
// to the dialog as WM_HOTKEY. Elsewhere the dialog fills the work area and gets two push buttons
// with ids 1 and 2 captioned by strings 504 and 505, Cancel left out when its state is
// TBSTATE_HIDDEN. Returns the menu bar, or null on a desktop.
HWND InitFullScreenDialog(HWND dialog, bool overrideBack, BYTE cancelState, BYTE okState, UINT menuBarId);

// Keeps the desktop's two buttons on the bottom row of the client area; nothing where a menu
// bar carries the commands. Called from the dialog's WM_SIZE.
void PlaceCommandButtons(HWND dialog);

// Widens control `id` so that it ends a scroll bar's width and 4 pixels before `rightEdge`
// (client coordinates), keeping its left, top and height. Returns the new width.
int StretchControlWidth(HWND dialog, int id, int rightEdge);

// Passes the Back key's WM_HOTKEY on to the focused edit box, where the shell can.
void SendBackToFocusWindow(UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace orvinta::platform::win32
