# Windows: Win32 window with Direct3D 9, CreateProcessW, the shell's choosers.
# Cross-built with mingw-w64 (cmake/toolchain-mingw64.cmake); Dear ImGui and
# pugixml are compiled from Debian's source packages (scripts/setup-windows.sh
# unpacks them into <build>/src/).

# ---- third-party sources
file(GLOB _imgui_found LIST_DIRECTORIES true ${CMAKE_BINARY_DIR}/src/imgui-*)
file(GLOB _pugixml_found LIST_DIRECTORIES true ${CMAKE_BINARY_DIR}/src/pugixml-*)
list(SORT _imgui_found)
list(SORT _pugixml_found)
list(GET _imgui_found -1 _imgui_default)
list(GET _pugixml_found -1 _pugixml_default)
set(VANTREL_IMGUI_SOURCE_DIR "${_imgui_default}" CACHE PATH "Unpacked Debian source of Dear ImGui")
set(VANTREL_PUGIXML_SOURCE_DIR "${_pugixml_default}" CACHE PATH "Unpacked Debian source of pugixml")
if(NOT EXISTS "${VANTREL_IMGUI_SOURCE_DIR}/imgui.cpp")
  message(FATAL_ERROR "Dear ImGui sources not found: run scripts/setup-windows.sh or set VANTREL_IMGUI_SOURCE_DIR")
endif()
if(NOT EXISTS "${VANTREL_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
  message(FATAL_ERROR "pugixml sources not found: run scripts/setup-windows.sh or set VANTREL_PUGIXML_SOURCE_DIR")
endif()
set(VANTREL_STB_INCLUDE_DIR /usr/include/stb CACHE PATH "stb headers (Debian's libstb-dev)")
set(VANTREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest)")
option(VANTREL_WINDOWS_TESTS "Build the Windows test programs (run under Wine)" ON)

# Unicode Win32 calls, Windows 7 API level, and no mingw DLLs beside the program.
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

add_library(pugixml_static STATIC ${VANTREL_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
target_include_directories(pugixml_static SYSTEM PUBLIC ${VANTREL_PUGIXML_SOURCE_DIR}/src)
target_compile_options(pugixml_static PRIVATE -w)
add_library(pugixml::pugixml ALIAS pugixml_static)

set(IMGUI_DIR ${VANTREL_IMGUI_SOURCE_DIR})
add_library(imgui_static STATIC ${IMGUI_DIR}/imgui.cpp ${IMGUI_DIR}/imgui_draw.cpp ${IMGUI_DIR}/imgui_tables.cpp
                                ${IMGUI_DIR}/imgui_widgets.cpp ${IMGUI_DIR}/imgui_demo.cpp)
target_include_directories(imgui_static SYSTEM PUBLIC ${IMGUI_DIR})
target_compile_options(imgui_static PRIVATE -w)
target_link_libraries(imgui_static PUBLIC imm32)

# stb_image for the logo (app/ImageDecode.cpp); the pictures the player
# chooses go through the Windows Imaging Component (app/win32/WinPictureDecode.cpp).
target_include_directories(vantrel_platform SYSTEM PRIVATE ${VANTREL_STB_INCLUDE_DIR})

# ---- the platform layer: paths, files, processes, the shell and its choosers
file(GLOB VANTREL_WIN32_SOURCES CONFIGURE_DEPENDS app/win32/*.cpp)
target_sources(vantrel_platform PRIVATE ${VANTREL_WIN32_SOURCES})
target_link_libraries(vantrel_platform PUBLIC shell32 ole32 comdlg32 advapi32 uuid winmm)

target_link_libraries(vantrel_ui PUBLIC imgui_static)

# ---- the Direct3D 9 UI host (d3d9.dll only: the logo goes through stb_image)
set(IMGUI_BACKEND_SOURCES ${IMGUI_DIR}/backends/imgui_impl_win32.cpp ${IMGUI_DIR}/backends/imgui_impl_dx9.cpp)
add_library(vantrel_uihost_dx9 STATIC host/win32/UiHostDx9.cpp host/win32/LogoTexture.cpp ${IMGUI_BACKEND_SOURCES})
target_include_directories(vantrel_uihost_dx9 SYSTEM PRIVATE ${IMGUI_DIR}/backends ${VANTREL_STB_INCLUDE_DIR})
set_source_files_properties(${IMGUI_BACKEND_SOURCES} PROPERTIES COMPILE_OPTIONS -w)
target_link_libraries(vantrel_uihost_dx9 PUBLIC vantrel_ui imgui_static d3d9 dwmapi gdi32 user32)

# ---- the program
add_executable(Vantrel WIN32 host/win32/WinMain.cpp host/EntryRoutine.cpp host/win32/Vantrel.rc)
target_link_options(Vantrel PRIVATE -municode)
target_link_libraries(Vantrel PRIVATE vantrel_uihost_dx9 vantrel_host)
set_source_files_properties(host/win32/Vantrel.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/host/win32/Vantrel.ico;${CMAKE_SOURCE_DIR}/host/win32/Vantrel.manifest")

include(cmake/RuntimeData.cmake)
# The window icon is looked up in the current folder, so it lies beside the program.
add_custom_command(TARGET vantrel_data POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/host/win32/Vantrel.ico ${CMAKE_BINARY_DIR}/)
set(ORIGINALS_NOTE "The game's stock shaders are backed up on first install; files placed here are restored as well.")

# ---- dist: the folder users unzip, and the zip itself
set(DIST_NAME Vantrel-${PROJECT_VERSION}-windows-x64)
set(DIST_ROOT ${CMAKE_BINARY_DIR}/dist)
set(DIST_DIR ${DIST_ROOT}/${DIST_NAME})
add_custom_target(dist
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${DIST_DIR} ${DIST_ROOT}/${DIST_NAME}.zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_DIR}/Data/OriginalShaders
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:Vantrel> ${DIST_DIR}/Vantrel.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/host/win32/Vantrel.ico ${DIST_DIR}/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${DATA_OUT}/Fonts ${DIST_DIR}/Data/Fonts
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${DATA_OUT}/Textures ${DIST_DIR}/Data/Textures
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${DATA_OUT}/OriginalShaders ${DIST_DIR}/Data/OriginalShaders
  COMMAND ${CMAKE_COMMAND} -E copy ${DATA_OUT}/Localization.xml ${DIST_DIR}/Data/
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/docs/UserGuide.md -DOUTPUT=${DIST_DIR}/README.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/WindowsText.cmake
  COMMAND ${CMAKE_COMMAND} "-DTEXT=${ORIGINALS_NOTE}" -DOUTPUT=${DIST_DIR}/Data/OriginalShaders/README.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/WindowsText.cmake
  COMMAND ${CMAKE_COMMAND} -E chdir ${DIST_ROOT} ${CMAKE_COMMAND} -E tar cf ${DIST_NAME}.zip --format=zip ${DIST_NAME}
  DEPENDS Vantrel vantrel_data ${CMAKE_SOURCE_DIR}/docs/UserGuide.md
  COMMENT "Assembling ${DIST_DIR} and ${DIST_NAME}.zip"
  VERBATIM)

if(VANTREL_WINDOWS_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
