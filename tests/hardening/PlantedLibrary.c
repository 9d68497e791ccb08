/* A library planted under a system library's name. Loading it leaves a visible trace: a file named
   after itself with ".ran" added, written when the loader runs its entry point. Its exports are only
   there so that a program importing them by name starts with it; they do nothing useful. */
/* The system header declares TransparentBlt as imported; this library defines its own. */
#define TransparentBlt TransparentBltAsDeclared
#include <windows.h>
#undef TransparentBlt

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) {
    char path[MAX_PATH + 8];
    const DWORD length = GetModuleFileNameA(hInstance, path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
      lstrcpyA(path + length, ".ran");
      HANDLE trace = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (trace != INVALID_HANDLE_VALUE) CloseHandle(trace);
    }
  }
  return TRUE;
}

#ifdef PLANTED_TRANSPARENT_COPY
__declspec(dllexport) BOOL WINAPI TransparentBlt(HDC a, int b, int c, int d, int e, HDC f, int g, int h, int i, int j,
                                                 UINT k) {
  (void)a, (void)b, (void)c, (void)d, (void)e, (void)f, (void)g, (void)h, (void)i, (void)j, (void)k;
  return FALSE;
}
#endif

#ifdef PLANTED_COMMON_CONTROLS
__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void* controls) {
  (void)controls;
  return FALSE;
}
#endif
