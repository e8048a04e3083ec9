// The identifiers of setup.exe's resources, shared by setup.rc and the forms.
// The program's icon comes first: Windows shows the lowest-numbered icon as
// the program file's.
#pragma once

#define RUK_ICON_SETUP 1
#define RUK_ICON_FOLDER_OPEN 2
#define RUK_ICON_FOLDER_CLOSED 3
#define RUK_BITMAP_PRISM 4
