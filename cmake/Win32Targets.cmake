# Win32 layer: the dialog framework, the Win32 halves of the core's interfaces,
enable_language(RC)
# the tool itself and the host simulator.
file(GLOB_RECURSE win32_sources CONFIGURE_DEPENDS
  src/framework/*.cpp src/app/*_win32.cpp src/hostlink/*_win32.cpp src/modules/*_win32.cpp)
list(FILTER win32_sources EXCLUDE REGEX "main_win32\\.cpp$")
add_library(velmora_win32 STATIC ${win32_sources})
target_link_libraries(velmora_win32 PUBLIC velmora_core user32 gdi32 kernel32 comctl32)
# Resource ids are shared by the resource scripts and the dialogs.
target_include_directories(velmora_win32 PUBLIC resources)

# Resource scripts: one per window family; the tests link them too, so that
# every dialog is created from its real template.
file(GLOB velmora_rc_files CONFIGURE_DEPENDS resources/*.rc)

if(EXISTS ${PROJECT_SOURCE_DIR}/src/app/main_win32.cpp)
  add_executable(velmora WIN32 src/app/main_win32.cpp ${velmora_rc_files})
  target_link_libraries(velmora PRIVATE velmora_win32)
  if(MINGW)
    target_link_options(velmora PRIVATE -s)
  endif()
endif()

file(GLOB hostsim_sources CONFIGURE_DEPENDS tools/hostsim/*.cpp)
if(hostsim_sources)
  add_executable(hostsim WIN32 ${hostsim_sources})
  target_link_libraries(hostsim PRIVATE velmora_win32)
endif()
