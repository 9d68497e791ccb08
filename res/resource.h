// Resource identifiers of the program (all resources are Korean, language 0x0412).
#pragma once

#define IDD_ABOUT 100
#define IDS_ABOUT_MENU 101
#define IDD_NOTICE 102
#define IDI_APP 128
#define IDB_BANNER 129

// Window-menu command of the About entry (low four bits zero, as the window menu requires).
#define IDM_ABOUT 0x0010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
