# Run-time data beside the program: catalogue, fonts, logo, the originals
# folder (only shipped effect files go in it) and the user guide, which the
# Help menu opens (README.txt, as in the zip).
set(DATA_OUT ${CMAKE_BINARY_DIR}/Data)
set(FONT_SOURCES
    /usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Regular.ttf
    /usr/share/fonts/truetype/roboto/unhinted/RobotoTTF/Roboto-Bold.ttf
    /usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf
    /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf)
file(GLOB VANTREL_SHIPPED_ORIGINALS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/Data/OriginalShaders/*.fx.o)
add_custom_target(vantrel_data ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DATA_OUT}/Fonts ${DATA_OUT}/Textures ${DATA_OUT}/OriginalShaders
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${FONT_SOURCES} ${DATA_OUT}/Fonts/
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/Data/Localization.xml ${DATA_OUT}/
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/Data/Textures ${DATA_OUT}/Textures
  COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/docs/UserGuide.md -DOUTPUT=${CMAKE_BINARY_DIR}/README.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/WindowsText.cmake
  COMMENT "Copying run-time data")
if(VANTREL_SHIPPED_ORIGINALS)
  add_custom_command(TARGET vantrel_data POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VANTREL_SHIPPED_ORIGINALS} ${DATA_OUT}/OriginalShaders/)
endif()
add_dependencies(Vantrel vantrel_data)
