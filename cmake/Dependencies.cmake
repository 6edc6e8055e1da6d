# Imported targets for the dependency builds in LUMENO_DEPS (made by tools/setup).
function(lumeno_import name lib)
  add_library(dep::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(dep::${name} PROPERTIES
    IMPORTED_LOCATION "${LUMENO_DEPS}/lib/${lib}"
    INTERFACE_INCLUDE_DIRECTORIES "${LUMENO_DEPS}/include")
endfunction()

lumeno_import(curl libcurl.a)
set_property(TARGET dep::curl PROPERTY INTERFACE_LINK_LIBRARIES
  ws2_32 crypt32 secur32 bcrypt advapi32 normaliz)
lumeno_import(jsoncpp libjsoncpp.a)
lumeno_import(lzma7z liblzma7z.a)
set_property(TARGET dep::lzma7z PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${LUMENO_DEPS}/include/lzma7z")
lumeno_import(gtest libgtest.a)
lumeno_import(gtest_main libgtest_main.a)
set_property(TARGET dep::gtest_main PROPERTY INTERFACE_LINK_LIBRARIES dep::gtest)

# stb_image carries its implementation in the header.
add_library(dep::stb INTERFACE IMPORTED GLOBAL)
set_target_properties(dep::stb PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${LUMENO_DEPS}/include")

set(LUMENO_CURL_EXE "${LUMENO_DEPS}/bin/curl.exe")
