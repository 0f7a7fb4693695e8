#pragma once
// What a process holds, read from outside: handles, GDI objects, windows and
// working set, for tests that look for leaks.
//
// Wine keeps no counts for GetProcessHandleCount and GetGuiResources (both
// answer 0): handles are counted by duplicating every handle value the
// process may hold, and GDI objects in the process's own GDI handle table,
// which Wine keeps behind the PEB.

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include "win32/hostsim_process.h"

namespace velmora::testing {

struct ProcessResources {
    // GDI objects -1 when they could not be read; windows top-level and child.
    long handles = 0, gdiObjects = -1, windows = 0;
    SIZE_T workingSet = 0, peakWorkingSet = 0;
};

// Rows of 24 bytes, the object's type at byte 14, 0 for a free row; the
// table's address at PEB offset 0xF8.
inline long gdiObjectsInTable(HANDLE process) {
    using Query = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    void* table = nullptr;
    std::vector<unsigned char> rows(0x10000 * 24);
    if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, nullptr) != 0 ||
        !ReadProcessMemory(process, reinterpret_cast<char*>(basic.PebBaseAddress) + 0xF8, &table,
                           sizeof table, nullptr) ||
        !table || !ReadProcessMemory(process, table, rows.data(), rows.size(), nullptr))
        return -1;
    long count = 0;
    for (std::size_t row = 0; row < rows.size(); row += 24) count += rows[row + 14] != 0;
    return count;
}

inline ProcessResources measureResources(HANDLE process) {
    ProcessResources r;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS))
            ++r.handles, CloseHandle(copy);
    }
    r.gdiObjects = gdiObjectsInTable(process);
    const auto countChild = [](HWND, LPARAM count) { return ++*reinterpret_cast<long*>(count), TRUE; };
    for (HWND w : topLevelWindows())
        if (processOf(w) == GetProcessId(process))
            ++r.windows, EnumChildWindows(w, countChild, reinterpret_cast<LPARAM>(&r.windows));
    PROCESS_MEMORY_COUNTERS memory{};
    if (GetProcessMemoryInfo(process, &memory, sizeof memory))
        r.workingSet = memory.WorkingSetSize, r.peakWorkingSet = memory.PeakWorkingSetSize;
    return r;
}

} // namespace velmora::testing
