# LumenoSetup.exe: the GUI installer with its manifest, version, icon and skin archive.
add_executable(LumenoSetup WIN32
  "${CMAKE_SOURCE_DIR}/src/core/WinMain.cpp"
  "${CMAKE_SOURCE_DIR}/src/core/resources/LumenoSetup.rc")
target_link_options(LumenoSetup PRIVATE -municode -mwindows)
target_link_libraries(LumenoSetup PRIVATE lumeno_engine)
set_source_files_properties("${CMAKE_SOURCE_DIR}/src/core/resources/LumenoSetup.rc" PROPERTIES
  OBJECT_DEPENDS "${LUMENO_SKIN_ARCHIVE};${CMAKE_SOURCE_DIR}/src/core/resources/lumeno.ico;${CMAKE_SOURCE_DIR}/src/core/resources/LumenoSetup.manifest")
target_include_directories(LumenoSetup PRIVATE "${CMAKE_BINARY_DIR}" "${CMAKE_SOURCE_DIR}/src/core/resources")
add_dependencies(LumenoSetup skin_archive)

# The packaging check runs on the host: PE headers, imports and resources of the result.
add_test(NAME package COMMAND bash "${CMAKE_SOURCE_DIR}/tools/check-package" "$<TARGET_FILE:LumenoSetup>")
