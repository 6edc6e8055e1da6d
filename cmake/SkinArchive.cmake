# skin.7z: everything under skin/, packed as one solid LZMA2 7z archive for ZIPRES 147.
file(GLOB_RECURSE LUMENO_SKIN_FILES CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/skin/*")
set(LUMENO_SKIN_ARCHIVE "${CMAKE_BINARY_DIR}/skin.7z")
add_custom_command(
  OUTPUT "${LUMENO_SKIN_ARCHIVE}"
  COMMAND ${CMAKE_COMMAND} -E rm -f "${LUMENO_SKIN_ARCHIVE}"
  COMMAND 7z a -bd -bso0 -t7z -m0=lzma2 -mx=9 -ms=on "${LUMENO_SKIN_ARCHIVE}" .
  WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}/skin"
  DEPENDS ${LUMENO_SKIN_FILES}
  COMMENT "Packing the skin archive"
  VERBATIM)
add_custom_target(skin_archive DEPENDS "${LUMENO_SKIN_ARCHIVE}")
