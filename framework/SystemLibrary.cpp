#include "Afx.h"

namespace {

// Newer search flags; the headers for Windows 2000 do not define them.
constexpr DWORD kLoadLibrarySearchSystem32 = 0x00000800;

using SetDefaultDllDirectoriesProc = BOOL(WINAPI*)(DWORD);
using SetDllDirectoryProc = BOOL(WINAPI*)(LPCSTR);
using InitCommonControlsExProc = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);

}  // namespace

void RestrictLibrarySearch() {
  // Both calls are newer than Windows 2000 (Windows 8, or 7 with its loader update; XP SP1), so they are
  // looked up, and left out where the system lacks them.
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (kernel == nullptr) return;
  auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesProc>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDefault != nullptr && setDefault(kLoadLibrarySearchSystem32)) return;
  auto setDirectory =
      reinterpret_cast<SetDllDirectoryProc>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
  if (setDirectory != nullptr) setDirectory("");
}

HMODULE LoadSystemLibrary(LPCSTR fileName) {
  char path[MAX_PATH];
  const UINT folderLength = GetSystemDirectoryA(path, MAX_PATH);
  const size_t nameLength = lstrlenA(fileName);
  if (folderLength == 0 || folderLength + 1 + nameLength >= MAX_PATH) return nullptr;
  size_t length = folderLength;
  if (path[length - 1] != '\\') path[length++] = '\\';
  lstrcpyA(path + length, fileName);
  // An absolute path: the loader searches nowhere, so no folder of anybody else's choosing is tried.
  return LoadLibraryA(path);
}

BOOL InitSystemCommonControls(const INITCOMMONCONTROLSEX* controls) {
  // Never freed: the control classes it registers live in it until the process ends.
  HMODULE commonControls = LoadSystemLibrary("comctl32.dll");
  if (commonControls == nullptr) return FALSE;
  auto init = reinterpret_cast<InitCommonControlsExProc>(
      reinterpret_cast<void*>(GetProcAddress(commonControls, "InitCommonControlsEx")));
  return init != nullptr ? init(controls) : FALSE;
}
