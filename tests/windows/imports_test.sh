#!/usr/bin/env bash
# What Windows XP SP3 needs to start kovra.exe and setup.exe: a PE32 file for
# the i386, a subsystem version XP knows (5.1 at most), and no imported
# function that XP SP3's DLLs do not export. One missing entry point and
# Windows stops the program at load ("entry point not found"); Wine cannot
# catch that, as its Windows-version setting is only a label.
#
#   imports_test.sh OBJDUMP EXE...
#
# The list below holds functions each of which Windows XP SP3 exports (their
# documented minimum is Windows 2000 or XP, or older). A function that is not
# in it fails the test: check its minimum Windows version in its
# documentation, and add it here only if that is XP or older.
set -uo pipefail

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

objdump=$1
shift

xp_sp3_exports() {
  cat <<'LIST'
KERNEL32.DLL:
  AddVectoredExceptionHandler AttachConsole CloseHandle CopyFileW CreateDirectoryW CreateEventA
  CreateFileW CreateHardLinkW CreateProcessW CreateSemaphoreA DeleteCriticalSection DeleteFileW
  DuplicateHandle EnterCriticalSection ExitProcess ExpandEnvironmentStringsW FileTimeToSystemTime
  FindClose FindFirstFileW FindFirstVolumeW FindNextFileW FindNextVolumeW FindResourceW
  FindVolumeClose FlushFileBuffers FormatMessageA FreeLibrary GetCommandLineW GetConsoleMode
  GetConsoleProcessList GetCurrentDirectoryW GetCurrentProcess GetCurrentProcessId GetCurrentThread
  GetCurrentThreadId GetDiskFreeSpaceExW GetDriveTypeW GetEnvironmentVariableW GetExitCodeProcess
  GetFileAttributesExW GetFileAttributesW GetFileInformationByHandle GetFileSizeEx GetFileType
  GetFullPathNameW GetHandleInformation GetLastError GetLogicalDriveStringsW GetModuleFileNameW
  GetModuleHandleA GetModuleHandleW GetProcAddress GetProcessAffinityMask GetProcessTimes
  GetStartupInfoA GetStdHandle GetSystemTimeAdjustment GetSystemTimeAsFileTime GetTempPathW
  GetThreadContext GetThreadPriority GetThreadTimes GetTickCount GetVersionExW GetVolumeInformationW
  InitializeCriticalSection IsDBCSLeadByteEx IsDebuggerPresent LeaveCriticalSection LoadLibraryA
  LoadLibraryW LoadResource LocalFree LockResource MoveFileExW MultiByteToWideChar OpenProcess
  OutputDebugStringA QueryPerformanceCounter QueryPerformanceFrequency RaiseException ReadFile
  ReleaseSemaphore RemoveDirectoryW RemoveVectoredExceptionHandler ReplaceFileW ResetEvent
  ResumeThread SetConsoleCtrlHandler SetConsoleMode SetCurrentDirectoryW SetEndOfFile SetEvent
  SetFileAttributesW SetFilePointer SetLastError SetProcessAffinityMask SetSystemTime SetThreadContext
  SetThreadPriority SetUnhandledExceptionFilter SizeofResource Sleep SuspendThread TlsAlloc
  TlsGetValue TlsSetValue TryEnterCriticalSection VirtualProtect VirtualQuery WaitForMultipleObjects
  WaitForSingleObject WideCharToMultiByte WriteConsoleW WriteFile
USER32.DLL:
  AdjustWindowRectEx AllowSetForegroundWindow BeginPaint CharLowerW CharUpperW ClientToScreen
  CreateWindowExW DefWindowProcW DestroyIcon DestroyWindow DispatchMessageW DrawEdge DrawFocusRect
  DrawIconEx DrawTextW EnableWindow EndPaint EnumChildWindows EnumWindows FillRect FrameRect
  GetActiveWindow GetAncestor GetClassInfoExW GetClassNameW GetClientRect GetDC GetDlgCtrlID
  GetDlgItem GetFocus GetKeyState GetMessageW GetNextDlgTabItem GetParent GetSysColor GetSysColorBrush
  GetSystemMetrics GetWindowLongW GetWindowRect GetWindowTextLengthW GetWindowTextW InflateRect
  InvalidateRect IsChild IsDialogMessageW IsIconic IsWindow IsWindowEnabled IsWindowVisible KillTimer
  LoadBitmapW LoadCursorW LoadIconW LoadImageW MapWindowPoints MessageBoxW MoveWindow
  MsgWaitForMultipleObjects OffsetRect PeekMessageW PostMessageW PostQuitMessage RegisterClassExW
  ReleaseDC ScreenToClient SendMessageTimeoutW SendMessageW SetCursor SetFocus SetForegroundWindow
  SetRect SetTimer SetWindowLongW SetWindowPos SetWindowTextW ShowWindow SystemParametersInfoW
  TranslateMessage UpdateWindow wsprintfW
GDI32.DLL:
  BitBlt CreateCompatibleBitmap CreateCompatibleDC CreateDIBSection CreateFontIndirectW CreateFontW
  CreatePen CreateSolidBrush DeleteDC DeleteObject Ellipse EnumFontFamiliesExW ExtTextOutW
  GetDeviceCaps GetDIBits GetObjectType GetObjectW GetPixel GetStockObject GetTextExtentPoint32W
  GetTextExtentPointW GetTextMetricsW LineTo MoveToEx PatBlt Polygon Rectangle SelectObject SetBkColor
  SetBkMode SetBrushOrgEx SetDIBitsToDevice SetPixel SetStretchBltMode SetTextColor StretchDIBits
  TextOutW
COMCTL32.DLL:
  InitCommonControlsEx
MSIMG32.DLL:
  AlphaBlend
MSVCRT.DLL:
  __doserrno __getmainargs __initenv __mb_cur_max __p__acmdln __p__commode __p__fmode __set_app_type
  __setusermatherr _amsg_exit _assert _beginthreadex _cexit _chsize _close _dup _endthreadex _errno _fdopen
  _fileno _findclose _fpreset _fstat64 _get_osfhandle _hypot _initterm _iob _lock _lseeki64 _onexit
  _read _setjmp3 _setmode _strdup _telli64 _ultoa _unlock _waccess _wchdir _wchmod _wfindfirst
  _wfindnext _wfopen _wfullpath _wgetcwd _wmkdir _wopen _write _wstat64 _wunlink _wutime abort atoi
  calloc exit fclose fflush fopen fprintf fputc fputs fputwc free fwprintf fwrite getenv iswctype
  localeconv longjmp malloc memchr memcmp memcpy memmove memset printf puts realloc setlocale setvbuf
  signal strchr strcmp strcoll strerror strftime strlen strncmp strtol strxfrm tan toupper towlower towupper
  vfprintf wcscat wcscmp wcscoll wcscpy wcsftime wcslen wcsncpy wcsxfrm
LIST
}

# The list as "DLL FUNCTION" lines, sorted.
known=$(xp_sp3_exports | awk '/:$/ { dll = substr($1, 1, length($1) - 1); next } { for (i = 1; i <= NF; i++) print dll, $i }' | sort -u)

# imports EXE: its imported functions as "DLL FUNCTION" lines (the DLL's name
# in capitals, as Windows does not tell case in it), sorted.
imports() {
  "$objdump" -p "$1" | awk '/DLL Name:/ { dll = toupper($3) } /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $3 }' | sort -u
}

for exe in "$@"; do
  name=$(basename "$exe")
  [ -f "$exe" ] || { fail "$name was not built"; continue; }
  header=$("$objdump" -p "$exe")
  check "$name: a PE32 file for the i386" grep -q 'file format pei-i386' <<<"$header"
  major=$(awk '$1 == "MajorSubsystemVersion" { print $2 }' <<<"$header")
  minor=$(awk '$1 == "MinorSubsystemVersion" { print $2 }' <<<"$header")
  check "$name: subsystem version $major.$minor, more than XP's 5.1" test $((major * 100 + minor)) -le 501
  imported=$(imports "$exe")
  check "$name: no import table read" grep -q '^KERNEL32.DLL ' <<<"$imported"
  while read -r dll function; do
    fail "$name imports $function from $dll, which Windows XP SP3 does not export (not in this test's list)"
  done < <(comm -23 <(echo "$imported") <(echo "$known"))
  checks=$((checks + 1))
done

report "imports"
