// Holds a file open the way a program that does not share it does (an
// editor, a spreadsheet): no other program may read, write, rename or
// replace it meanwhile.
//
//   hold_open FILE
//
// prints "held" once the file is open, then keeps it open until its standard
// input ends, so that a test can wait on both without a clock.
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) return 2;
    const HANDLE file = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 3;
    std::puts("held");
    std::fflush(stdout);
    char ignored[256];
    DWORD n = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), ignored, sizeof ignored, &n, nullptr) && n > 0) {
    }
    CloseHandle(file);
    return 0;
}
