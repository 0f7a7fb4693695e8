# Win32 layer: the host-window implementation, the dialog framework, the
# dialogs and the application's windows; then the tool and the host simulator.
enable_language(RC)
file(GLOB win32_sources CONFIGURE_DEPENDS
  src/hostlink/*_win32.cpp src/framework/*.cpp src/dialogs/*.cpp src/app/*_win32.cpp)
list(FILTER win32_sources EXCLUDE REGEX "main_win32\\.cpp$")
add_library(velmora_win32 STATIC ${win32_sources})
target_link_libraries(velmora_win32 PUBLIC velmora_app user32 gdi32 kernel32 comctl32)

# Resource scripts: one per window family; the tests link them too, so that
# every dialog is created from its real template.
file(GLOB velmora_rc_files CONFIGURE_DEPENDS resources/*.rc)

add_executable(velmora WIN32 src/app/main_win32.cpp ${velmora_rc_files})
target_link_libraries(velmora PRIVATE velmora_win32)
if(MINGW)
  target_link_options(velmora PRIVATE -s)
endif()

file(GLOB hostsim_sources CONFIGURE_DEPENDS tools/hostsim/*.cpp)
add_executable(hostsim WIN32 ${hostsim_sources})
target_link_libraries(hostsim PRIVATE velmora_win32)

# velmora-cli.exe reaches the host's windows (inspect-host).
target_link_libraries(velmora-cli PRIVATE velmora_win32)
