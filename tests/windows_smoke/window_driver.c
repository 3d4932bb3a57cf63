// window_driver.exe: finds, measures and clicks the windows of a program under test, from the
// Windows side (the program's windows live inside Wine's virtual desktop, out of reach of X
// tools). Used by scripts/windows/smoke.sh.
//   window_driver wait  TITLE SECONDS   prints the window's screen rectangle "x y width height"
//   window_driver gone  TITLE SECONDS   waits until no window has that title
//   window_driver click TITLE FX FY     left click at a fraction of the window's client area
//   window_driver close TITLE           asks the window to close, as its close box does
//   window_driver about PROGRAM         prints "<product version> <number of icons>" of an .exe
// Exits 0 on success, 1 when the window is not (or still) there, 2 on a usage error.
// shellapi.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

static HWND FindShown(const wchar_t* title) {
  HWND window = FindWindowW(NULL, title);
  return window != NULL && IsWindowVisible(window) ? window : NULL;
}

// Waits until a window with the title is shown (present) or none is (!present); returns
// whether that happened in time, and in *found the window when present.
static int WaitFor(const wchar_t* title, double seconds, int present, HWND* found) {
  const ULONGLONG deadline = GetTickCount64() + (ULONGLONG)(seconds * 1000);
  for (;;) {
    *found = FindShown(title);
    if ((*found != NULL) == present) return 1;
    if (GetTickCount64() >= deadline) return 0;
    Sleep(50);
  }
}

// Returns once the window's thread takes messages again, i.e. has dealt with what came before.
static int Responds(HWND window) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0;
}

static int Send(DWORD flags) {
  INPUT input = {0};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  return SendInput(1, &input, sizeof(INPUT)) == 1;
}

// As a hand does it: the pointer arrives, rests, presses, and lets go once the program has had
// the press. Qt reads the buttons' state when it handles a press, so a press it only gets to
// after the release (a busy program, or both sent at once) is no click.
static int Click(HWND window, double fx, double fy) {
  RECT client;
  if (!GetClientRect(window, &client)) return 1;
  POINT at = {(LONG)(client.right * fx), (LONG)(client.bottom * fy)};
  ClientToScreen(window, &at);
  SetForegroundWindow(window);
  SetCursorPos(at.x, at.y);
  if (!Send(MOUSEEVENTF_MOVE) || !Responds(window)) return 1;  // zero distance: only the event
  Sleep(200);
  if (!Responds(window) || !Send(MOUSEEVENTF_LEFTDOWN)) return 1;
  Sleep(100);
  const int responded = Responds(window);
  Sleep(100);
  return Send(MOUSEEVENTF_LEFTUP) && responded ? 0 : 1;
}

// The version a program's version information gives, and how many icons it carries.
static int About(const wchar_t* program) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program, &ignored);
  if (size == 0) return 1;
  void* info = malloc(size);
  wchar_t* version = NULL;
  UINT length = 0;
  int ok = info != NULL && GetFileVersionInfoW(program, 0, size, info) &&
           VerQueryValueW(info, L"\\StringFileInfo\\040904B0\\ProductVersion", (void**)&version,
                          &length) &&
           length > 0;
  if (ok) wprintf(L"%ls %u\n", version, ExtractIconExW(program, -1, NULL, NULL, 0));
  free(info);
  return ok ? 0 : 1;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    fwprintf(stderr, L"usage: window_driver wait|gone|click|close|about TITLE|PROGRAM [...]\n");
    return 2;
  }
  const wchar_t* command = argv[1];
  const wchar_t* title = argv[2];
  HWND window = NULL;
  if (wcscmp(command, L"wait") == 0 && argc == 4) {
    RECT r;
    if (!WaitFor(title, _wtof(argv[3]), 1, &window) || !GetWindowRect(window, &r)) return 1;
    wprintf(L"%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (wcscmp(command, L"gone") == 0 && argc == 4) {
    return WaitFor(title, _wtof(argv[3]), 0, &window) ? 0 : 1;
  }
  if (wcscmp(command, L"click") == 0 && argc == 5) {
    window = FindShown(title);
    return window != NULL ? Click(window, _wtof(argv[3]), _wtof(argv[4])) : 1;
  }
  if (wcscmp(command, L"close") == 0 && argc == 3) {
    window = FindShown(title);
    return window != NULL && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (wcscmp(command, L"about") == 0 && argc == 3) return About(argv[2]);
  fwprintf(stderr, L"window_driver: unknown command or wrong number of arguments\n");
  return 2;
}
