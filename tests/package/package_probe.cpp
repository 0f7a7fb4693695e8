// package_probe.exe: what scripts/test-package asks of Windows itself, under Wine.
//   package_probe version FILE          the version resource of FILE: the fixed file and product
//                                       versions and the strings of its first language
//   package_probe window TEXT SECONDS   waits for a visible top-level window whose title holds TEXT,
//                                       closes it and waits for its process to end (ending it by
//                                       force, and failing, when it does not within 10 s)
// Exit status 0 when all went as expected, 1 otherwise, 2 for wrong arguments.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int version(const char* file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(file, &ignored);
    if (size == 0) {
        std::printf("no version resource in %s\n", file);
        return 1;
    }
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(file, 0, size, data.data())) return 1;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return 1;
    std::printf("file %u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    std::printf("product %u.%u.%u.%u\n", HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));

    WORD* translation = nullptr;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                        &length) ||
        length < 2 * sizeof(WORD))
        return 1;
    char block[64];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", translation[0], translation[1]);
    for (const char* name : {"FileVersion", "ProductVersion", "ProductName", "CompanyName"}) {
        char* text = nullptr;
        const std::string path = std::string(block) + name;
        if (VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text)
            std::printf("%s %s\n", name, text);
    }
    return 0;
}

struct Search {
    const char* text;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char title[256] = {};
    if (IsWindowVisible(window) && GetWindowTextA(window, title, sizeof title) > 0 &&
        std::strstr(title, search->text)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

int window(const char* text, int seconds) {
    Search search{text, nullptr};
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    for (;;) {
        EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount64() >= deadline) break;
        Sleep(100);
    }
    if (!search.found) {
        std::printf("no window titled \"...%s...\" within %d s\n", text, seconds);
        return 1;
    }
    char title[256] = {};
    GetWindowTextA(search.found, title, sizeof title);
    DWORD pid = 0;
    GetWindowThreadProcessId(search.found, &pid);
    HANDLE process =
        OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    char image[MAX_PATH] = {};
    DWORD imageLength = MAX_PATH;
    if (!process || !QueryFullProcessImageNameA(process, 0, image, &imageLength)) image[0] = 0;
    std::printf("window \"%s\" of %s\n", title, image);

    // The window's own close: Cancel for a dialog, the end of the run for velmora.
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (!process) return 1;
    const bool ended = WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        std::printf("the process did not end when its window was closed\n");
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    if (ended) std::printf("the process ended with status %lu\n", code);
    return ended ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "version" && argc == 3) return version(argv[2]);
    if (command == "window" && argc == 4) return window(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: package_probe version FILE | window TEXT SECONDS\n");
    return 2;
}
