# Windows build (mingw-w64): the core library with the Win32 adapters, its test
# suites and the command-line tools. There is no Qt for Windows here, so the Qt
# program and adapters stay out, and there is no AddressSanitizer in mingw.
# The adapters are chosen in src/ (zintavo_win32 instead of zintavo_posix).
if(ZINTAVO_WITH_QT)
  message(FATAL_ERROR "The Windows build has no Qt: configure with -DZINTAVO_WITH_QT=OFF")
endif()
if(ZINTAVO_SANITIZE)
  message(FATAL_ERROR "mingw-w64 has no AddressSanitizer: configure with -DZINTAVO_SANITIZE=OFF")
endif()

if(ZINTAVO_BUILD_TESTS AND CMAKE_CROSSCOMPILING)
  # GoogleTest from Debian's source package, built with this toolchain and
  # without the project's strict warnings (the directory inherits the options
  # in force when it is added).
  set(ZINTAVO_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  get_directory_property(zintavo_saved_options COMPILE_OPTIONS)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "")
  add_subdirectory(${ZINTAVO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set_directory_properties(PROPERTIES COMPILE_OPTIONS "${zintavo_saved_options}")

  # Tests run under Wine in a prefix of their own inside the build folder.
  set(ZINTAVO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix the tests use")
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${ZINTAVO_WINEPREFIX}
      ${PROJECT_SOURCE_DIR}/tests/win32/wine-run)
endif()
