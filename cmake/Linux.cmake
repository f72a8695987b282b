# Linux: SDL2 window with OpenGL 3, posix_spawn, zenity/kdialog, xdg-open, wine.
find_package(SDL2 REQUIRED)
find_package(OpenGL REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)

set(IMGUI_BACKENDS /usr/share/doc/libimgui-dev/examples/backends)

# stb_image for the logo (app/ImageDecode.cpp); libpng and libjpeg-turbo for
# the pictures the player chooses (app/linux/LinuxPictureDecode.cpp).
target_include_directories(vantrel_platform SYSTEM PRIVATE /usr/include/stb)
find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)

# The platform layer: paths, files, processes, the desktop and its choosers.
file(GLOB VANTREL_LINUX_SOURCES CONFIGURE_DEPENDS app/linux/*.cpp)
target_sources(vantrel_platform PRIVATE ${VANTREL_LINUX_SOURCES})
target_link_libraries(vantrel_platform PUBLIC SDL2::SDL2 PNG::PNG JPEG::JPEG)

target_link_libraries(vantrel_ui PUBLIC PkgConfig::IMGUI)

add_library(vantrel_uihost_sdl STATIC host/linux/UiHostSdl.cpp
            ${IMGUI_BACKENDS}/imgui_impl_sdl.cpp ${IMGUI_BACKENDS}/imgui_impl_opengl3.cpp)
target_include_directories(vantrel_uihost_sdl PRIVATE /usr/include/imgui/backends)
# Debian's Dear ImGui 1.86 OpenGL loader lists 54 function names but declares
# its table of pointers with 53 entries, so loading writes one element past
# the array (the undefined-behaviour sanitizer stops the program there). The
# backend is compiled against a copy of the header with the table sized to its
# names; a header that no longer has the fault is used as it is.
set(IMGUI_GL_LOADER /usr/include/imgui/backends/imgui_impl_opengl3_loader.h)
file(READ ${IMGUI_GL_LOADER} IMGUI_GL_LOADER_TEXT)
string(REPLACE "GL3WglProc ptr[53];" "GL3WglProc ptr[54];" IMGUI_GL_LOADER_FIXED "${IMGUI_GL_LOADER_TEXT}")
if(NOT IMGUI_GL_LOADER_FIXED STREQUAL IMGUI_GL_LOADER_TEXT)
  file(WRITE ${CMAKE_BINARY_DIR}/imgui-fixed/loader.h.new "${IMGUI_GL_LOADER_FIXED}")
  configure_file(${CMAKE_BINARY_DIR}/imgui-fixed/loader.h.new
                 ${CMAKE_BINARY_DIR}/imgui-fixed/imgui_impl_opengl3_loader.h COPYONLY)
  target_include_directories(vantrel_uihost_sdl BEFORE PRIVATE ${CMAKE_BINARY_DIR}/imgui-fixed)
endif()
# The library's own backend sources are not held to our warning level.
set_source_files_properties(${IMGUI_BACKENDS}/imgui_impl_sdl.cpp ${IMGUI_BACKENDS}/imgui_impl_opengl3.cpp
                            PROPERTIES COMPILE_OPTIONS -w)
target_link_libraries(vantrel_uihost_sdl PUBLIC vantrel_ui SDL2::SDL2 OpenGL::GL ${CMAKE_DL_LIBS})

add_executable(Vantrel host/linux/Main.cpp host/EntryRoutine.cpp)
target_link_libraries(Vantrel PRIVATE vantrel_uihost_sdl vantrel_host)

include(cmake/RuntimeData.cmake)
