// The few global services of our application layer: the application object, the module that holds
// the resources, and string loading.
#pragma once

#include <windows.h>

class CWinApp;

// The one application object (constructed during static initialisation), or null before it exists.
CWinApp* AfxGetApp();

// The module whose resources the program loads (templates, icon, bitmap, strings).
// It is the executable itself unless someone pointed it elsewhere.
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE hResource);

// Loads string nID from the resource module's string table. Resource strings are UTF-16; the text is
// converted to the calling thread's ANSI code page. Returns the length in bytes (0 when the string is
// missing or empty, and then buffer holds an empty string).
int AfxLoadString(UINT nID, LPSTR buffer, int bufferSize);

// The program hosts no ActiveX controls: this only keeps the start-up sequence as written.
void AfxEnableControlContainer();

// Runs the application object: InitInstance, then either exit processing at once (FALSE) or the
// message loop until WM_QUIT (TRUE). Returns the process's exit status.
int AfxWinMain(HINSTANCE hInstance);
