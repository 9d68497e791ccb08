#include "WinApp.h"

#include "Afx.h"

namespace {
CWinApp* g_pApp = nullptr;
HINSTANCE g_hResource = nullptr;
}  // namespace

CWinApp* AfxGetApp() { return g_pApp; }

HINSTANCE AfxGetResourceHandle() { return g_hResource != nullptr ? g_hResource : GetModuleHandleA(nullptr); }

void AfxSetResourceHandle(HINSTANCE hResource) { g_hResource = hResource; }

void AfxEnableControlContainer() {}

int AfxLoadString(UINT nID, LPSTR buffer, int bufferSize) {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  buffer[0] = '\0';
  WCHAR wide[256];
  const int wideLength = LoadStringW(AfxGetResourceHandle(), nID, wide, ARRAYSIZE(wide));
  if (wideLength <= 0) return 0;
  int length = WideCharToMultiByte(CP_THREAD_ACP, 0, wide, wideLength, buffer, bufferSize - 1, nullptr, nullptr);
  if (length < 0) length = 0;
  buffer[length] = '\0';
  return length;
}

const AFX_MSGMAP_ENTRY CWinApp::messageEntries[] = {
    {WM_COMMAND, ID_HELP, HandlerOf(&CWinApp::OnHelp)},
};
const AFX_MSGMAP CWinApp::messageMap = {&CCmdTarget::messageMap, messageEntries, CountOf(messageEntries)};
const AFX_MSGMAP* CWinApp::GetMessageMap() const { return &messageMap; }

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return FALSE; }

int CWinApp::ExitInstance() { return 0; }

void CWinApp::SetRegistryKey(LPCSTR) {}

LRESULT CWinApp::OnHelp(WPARAM, LPARAM) { return 0; }

int AfxWinMain() {
  RestrictLibrarySearch();
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->InitInstance();
  return app->ExitInstance();
}
