#include "ViewerWindow.h"

#include "TestSupport.h"

namespace tarvolin_test {

ViewerWindow::ViewerWindow()
    : m_hWnd(CreateWindowExA(0, "Static", ViewerCaption().c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 150,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)) {}

ViewerWindow::~ViewerWindow() { DestroyWindow(m_hWnd); }

}  // namespace tarvolin_test
