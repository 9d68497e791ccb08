// Counts what a process holds, from outside it, with counts that really move under Wine:
// GDI objects (live entries of the process's GDI handle table, read from its memory), user objects
// (windows it owns, found by probing the window handle space), kernel handles (its entries in the
// system's handle list) and private bytes (committed private memory, summed over its address space).
// The platform's own counters are read too, since under Wine some of them are stubs: GetGuiResources
// and GetProcessHandleCount give 0, and PrivateUsage is the process's swap size.
#pragma once

#include <windows.h>

#include <string>

struct ProcessCounts {
  long gdiObjects = -1;       // -1: the table could not be read
  long userObjects = -1;      // windows owned by the process
  long kernelHandles = -1;    // entries of the system's handle list owned by the process
  long long privateBytes = -1;  // committed MEM_PRIVATE regions
  // The platform's own figures, for comparison.
  DWORD guiResourcesGdi = 0;
  DWORD guiResourcesUser = 0;
  DWORD guiResourcesError = 0;
  DWORD processHandleCount = 0;
  SIZE_T privateUsage = 0;
  SIZE_T workingSet = 0;
};

// process: a handle with PROCESS_QUERY_INFORMATION | PROCESS_VM_READ; thread: one of its threads with
// THREAD_QUERY_INFORMATION (the GDI table is found through that thread's environment block).
ProcessCounts CountProcess(HANDLE process, HANDLE thread);

// The same counts for the calling process (its UI thread being the calling thread).
ProcessCounts CountThisProcess();

// "gdi 35, user 3, handles 41, private 1234567 (GetGuiResources 0/0 error 120, PrivateUsage 0)"
std::string DescribeCounts(const ProcessCounts& counts);
