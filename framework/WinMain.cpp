// The process entry point: hands over to the application object.
// Kept out of the framework library so that the linker always takes it (the C runtime asks for
// WinMain only after the libraries have been searched).
#include "Afx.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return AfxWinMain(); }
