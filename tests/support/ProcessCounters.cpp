#include "ProcessCounters.h"

#include <psapi.h>
#include <stdio.h>

#include <vector>

namespace {

// The GDI handle table as the system lays it out: 0x10000 entries of 24 bytes; an entry in use
// has a non-zero type.
constexpr size_t kGdiEntries = 0x10000;
constexpr size_t kGdiEntrySize = 24;
constexpr size_t kGdiTypeOffset = 14;

struct ThreadBasicInformation {
  LONG exitStatus;
  PVOID tebBaseAddress;
  PVOID uniqueProcess;
  PVOID uniqueThread;
  ULONG_PTR affinityMask;
  LONG priority;
  LONG basePriority;
};

using NtQueryInformationThreadFn = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);

bool Read(HANDLE process, ULONG_PTR address, void* buffer, SIZE_T size) {
  SIZE_T done = 0;
  return address != 0 && ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), buffer, size, &done) &&
         done == size;
}

// Address of the process's GDI handle table, found from one of its threads' environment block.
ULONG_PTR GdiTableAddress(HANDLE process, HANDLE thread) {
  static const auto query = reinterpret_cast<NtQueryInformationThreadFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationThread")));
  ThreadBasicInformation basic = {};
  if (query == nullptr || query(thread, 0, &basic, sizeof basic, nullptr) != 0) return 0;
  const ULONG_PTR teb = reinterpret_cast<ULONG_PTR>(basic.tebBaseAddress);
#ifdef _WIN64
  ULONG_PTR peb = 0;
  if (!Read(process, teb + 0x60, &peb, sizeof peb)) return 0;
  ULONG_PTR table = 0;
  return Read(process, peb + 0xF8, &table, sizeof table) ? table : 0;
#else
  // A 32-bit process on a 64-bit system keeps the table in its 64-bit environment: the 32-bit
  // thread block holds the address of the 64-bit one at 0xF70; that one points to the 64-bit process
  // block (0x60), which holds the table (0xF8). A 32-bit system keeps it in the process block (0x94).
  DWORD teb64 = 0;
  if (Read(process, teb + 0xF70, &teb64, sizeof teb64) && teb64 != 0) {
    unsigned long long peb64 = 0, table = 0;
    if (Read(process, teb64 + 0x60, &peb64, sizeof peb64) && peb64 < 0x100000000ULL &&
        Read(process, static_cast<ULONG_PTR>(peb64) + 0xF8, &table, sizeof table) && table < 0x100000000ULL &&
        table != 0)
      return static_cast<ULONG_PTR>(table);
  }
  DWORD peb = 0, table = 0;
  if (!Read(process, teb + 0x30, &peb, sizeof peb)) return 0;
  return Read(process, peb + 0x94, &table, sizeof table) ? table : 0;
#endif
}

long CountGdiObjects(HANDLE process, HANDLE thread) {
  const ULONG_PTR table = GdiTableAddress(process, thread);
  if (table == 0) return -1;
  std::vector<unsigned char> entries(kGdiEntries * kGdiEntrySize);
  if (!Read(process, table, entries.data(), entries.size())) return -1;
  long live = 0;
  for (size_t i = 0; i < kGdiEntries; ++i)
    if (entries[i * kGdiEntrySize + kGdiTypeOffset] != 0) ++live;
  return live;
}

// Window handles carry a 16-bit index; the system accepts the index alone (upper word 0) for any window.
long CountWindowsOf(DWORD pid) {
  long count = 0;
  for (ULONG_PTR index = 0; index < 0x8000; ++index) {
    HWND candidate = reinterpret_cast<HWND>(0x20 + 2 * index);
    if (!IsWindow(candidate)) continue;
    DWORD owner = 0;
    GetWindowThreadProcessId(candidate, &owner);
    if (owner == pid) ++count;
  }
  return count;
}

// The process's kernel handles, one entry each in the system's handle list (SystemHandleInformation).
long CountHandlesInSystemList(DWORD pid) {
  using NtQuerySystemInformationFn = LONG(WINAPI*)(int, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<NtQuerySystemInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (query == nullptr) return -1;
  struct Entry {
    ULONG ownerPid;
    UCHAR objectType;
    UCHAR flags;
    USHORT handleValue;
    PVOID object;
    ACCESS_MASK access;
  };
  std::vector<unsigned char> buffer(1 << 20);
  for (int attempt = 0; attempt < 6; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(16, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      const ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
      const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
      long mine = 0;
      for (ULONG i = 0; i < count; ++i)
        if (entries[i].ownerPid == pid) ++mine;
      return mine;
    }
    if (status != static_cast<LONG>(0xC0000004)) return -1;  // anything but "buffer too small"
    buffer.resize(buffer.size() * 2 > needed ? buffer.size() * 2 : needed + 4096);
  }
  return -1;
}

long long CountPrivateBytes(HANDLE process) {
  long long committed = 0;
  MEMORY_BASIC_INFORMATION region;
  ULONG_PTR address = 0;
  bool any = false;
  while (VirtualQueryEx(process, reinterpret_cast<LPCVOID>(address), &region, sizeof region) == sizeof region) {
    any = true;
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
    const ULONG_PTR next = reinterpret_cast<ULONG_PTR>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return any ? committed : -1;
}

}  // namespace

ProcessCounts CountProcess(HANDLE process, HANDLE thread) {
  ProcessCounts counts;
  counts.gdiObjects = CountGdiObjects(process, thread);
  counts.userObjects = CountWindowsOf(GetProcessId(process));
  counts.kernelHandles = CountHandlesInSystemList(GetProcessId(process));
  counts.privateBytes = CountPrivateBytes(process);

  DWORD handles = 0;
  if (GetProcessHandleCount(process, &handles)) counts.processHandleCount = handles;
  SetLastError(0);
  counts.guiResourcesGdi = GetGuiResources(process, GR_GDIOBJECTS);
  counts.guiResourcesUser = GetGuiResources(process, GR_USEROBJECTS);
  counts.guiResourcesError = GetLastError();
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    counts.privateUsage = memory.PrivateUsage;
    counts.workingSet = memory.WorkingSetSize;
  }
  return counts;
}

ProcessCounts CountThisProcess() { return CountProcess(GetCurrentProcess(), GetCurrentThread()); }

std::string DescribeCounts(const ProcessCounts& counts) {
  char text[256];
  snprintf(text, sizeof text,
           "gdi %ld, user %ld, handles %ld, private %lld (GetGuiResources %lu/%lu error %lu, "
           "GetProcessHandleCount %lu, PrivateUsage %lu, working set %lu)",
           counts.gdiObjects, counts.userObjects, counts.kernelHandles, counts.privateBytes,
           static_cast<unsigned long>(counts.guiResourcesGdi), static_cast<unsigned long>(counts.guiResourcesUser),
           static_cast<unsigned long>(counts.guiResourcesError), static_cast<unsigned long>(counts.processHandleCount),
           static_cast<unsigned long>(counts.privateUsage),
           static_cast<unsigned long>(counts.workingSet));
  return text;
}
