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

# The version of project() reaches the version resource and the manifest
# through files configured into the build tree, which the scripts find there.
set(velmora_version_patch 0)
if(PROJECT_VERSION_PATCH)
  set(velmora_version_patch ${PROJECT_VERSION_PATCH})
endif()
set(velmora_version_quad
    "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${velmora_version_patch}.0")
set(velmora_generated ${CMAKE_BINARY_DIR}/generated)
configure_file(resources/version.h.in ${velmora_generated}/velmora_version.h @ONLY)
configure_file(resources/velmora.manifest.in ${velmora_generated}/velmora.manifest @ONLY)
set_property(SOURCE ${velmora_rc_files} APPEND PROPERTY INCLUDE_DIRECTORIES ${velmora_generated})
set_property(SOURCE ${velmora_rc_files} APPEND PROPERTY OBJECT_DEPENDS
             ${velmora_generated}/velmora_version.h ${velmora_generated}/velmora.manifest)

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
