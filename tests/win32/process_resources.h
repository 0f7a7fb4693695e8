#pragma once
// What another process holds, read from outside: handles, GDI and USER
// objects, windows and working set, for tests that look for leaks.
//
// Wine keeps no counts for GetProcessHandleCount and GetGuiResources (both
// answer 0). Where they answer 0, handles are counted in the system's handle
// table and GDI objects in the process's own GDI handle table, which Wine
// keeps per process behind the PEB. Wine has no table of USER objects to
// read, so the windows of the process are counted besides.

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace velmora::testing {

struct ProcessResources {
    long handles = -1; // -1: could not be read
    long gdiObjects = -1;
    long userObjects = -1;
    long windows = 0; // top-level and child windows of the process
    SIZE_T workingSet = 0;
    SIZE_T peakWorkingSet = 0;

    std::string describe() const {
        char line[200];
        std::snprintf(line, sizeof line, "handles %ld, GDI %ld, USER %ld, windows %ld, working set %.1f MB",
                      handles, gdiObjects, userObjects, windows, static_cast<double>(workingSet) / 1048576.0);
        return line;
    }
};

namespace detail {

using QuerySystemInformation = LONG(NTAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryInformationProcess = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

inline FARPROC ntdllFunction(const char* name) {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll ? GetProcAddress(ntdll, name) : nullptr;
}

// SystemExtendedHandleInformation's rows.
struct HandleEntry {
    PVOID object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTraceIndex;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};
struct HandleTable {
    ULONG_PTR count;
    ULONG_PTR reserved;
    HandleEntry entries[1];
};

inline long handlesInSystemTable(DWORD processId) {
    const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(ntdllFunction("NtQuerySystemInformation")));
    if (!query) return -1;
    constexpr ULONG kExtendedHandleInformation = 64;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::vector<char> buffer(1 << 20);
    for (int attempt = 0; attempt < 8; ++attempt) {
        ULONG needed = 0;
        const LONG status =
            query(kExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return -1;
        const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
        long count = 0;
        for (ULONG_PTR i = 0; i < table->count; ++i) count += table->entries[i].processId == processId;
        return count;
    }
    return -1;
}

// A row of the GDI handle table (the same 24 bytes on 64-bit Windows and Wine).
struct GdiEntry {
    std::uint64_t object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    std::uint64_t user;
};
static_assert(sizeof(GdiEntry) == 24);
constexpr std::size_t kGdiTableRows = 0x10000;
constexpr std::size_t kPebGdiTableOffset = 0xF8; // PEB.GdiSharedHandleTable, 64-bit

inline long gdiObjectsInTable(HANDLE process) {
    const auto query = reinterpret_cast<QueryInformationProcess>(
        reinterpret_cast<void*>(ntdllFunction("NtQueryInformationProcess")));
    if (!query) return -1;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, &length) != 0 ||
        !basic.PebBaseAddress)
        return -1;
    void* table = nullptr;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const char*>(basic.PebBaseAddress) + kPebGdiTableOffset,
                           &table, sizeof table, &read) ||
        !table)
        return -1;
    std::vector<GdiEntry> rows(kGdiTableRows);
    if (!ReadProcessMemory(process, table, rows.data(), rows.size() * sizeof(GdiEntry), &read)) return -1;
    long count = 0;
    for (const GdiEntry& row : rows) count += row.type != 0;
    return count;
}

inline long windowsOf(DWORD processId) {
    struct Count {
        DWORD processId;
        long windows;
    } count{processId, 0};
    EnumWindows(
        [](HWND window, LPARAM context) -> BOOL {
            auto* c = reinterpret_cast<Count*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != c->processId) return TRUE;
            ++c->windows;
            EnumChildWindows(
                window,
                [](HWND, LPARAM inner) -> BOOL {
                    ++reinterpret_cast<Count*>(inner)->windows;
                    return TRUE;
                },
                context);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count.windows;
}

} // namespace detail

inline ProcessResources measureResources(HANDLE process) {
    ProcessResources r;
    const DWORD processId = GetProcessId(process);
    DWORD handles = 0;
    r.handles = GetProcessHandleCount(process, &handles) && handles > 0
                    ? static_cast<long>(handles)
                    : detail::handlesInSystemTable(processId);
    r.userObjects = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    r.gdiObjects = gdi > 0 ? static_cast<long>(gdi) : detail::gdiObjectsInTable(process);
    r.windows = detail::windowsOf(processId);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory)) {
        r.workingSet = memory.WorkingSetSize;
        r.peakWorkingSet = memory.PeakWorkingSetSize;
    }
    return r;
}

} // namespace velmora::testing
