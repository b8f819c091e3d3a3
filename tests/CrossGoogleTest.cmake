# A cross build cannot use the host's GoogleTest libraries: build Debian's
# GoogleTest sources for the target instead, without our warning flags.
set(PSION_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
get_directory_property(psion_saved_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
add_subdirectory(${PSION_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${psion_saved_options}")
# GoogleTest names its targets GTest::gtest, GTest::gmock and GTest::gtest_main itself.
