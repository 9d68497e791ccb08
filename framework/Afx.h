// The few global services of our application layer: the application object, the module that holds
// the resources, string loading, and loading system libraries safely.
#pragma once

#include <windows.h>

#include <commctrl.h>

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

// Libraries: every library the program loads by name must come from the system folder, never from
// the program's folder or the current folder, where anybody could have put a file of the same name.
// Makes the loader search only the system folder for libraries loaded from now on, where the system
// can (else at least takes the current folder out of the search). Called first thing at start-up.
void RestrictLibrarySearch();
// Loads fileName from the system folder by its full path; null when it is not there.
HMODULE LoadSystemLibrary(LPCSTR fileName);
// InitCommonControlsEx of the system folder's comctl32, which stays loaded from then on. FALSE (and
// nothing registered) when the library or the function is missing.
BOOL InitSystemCommonControls(const INITCOMMONCONTROLSEX* controls);

// Runs the application object: InitInstance, which runs the whole program, then exit processing
// (ExitInstance), whose result it returns as the process's exit status. There is no message loop.
int AfxWinMain();
