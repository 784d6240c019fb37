# Project-wide compiler flags: strict warnings everywhere, optional sanitizers.
add_compile_options(-Wall -Wextra -Wshadow -Wconversion -Wsign-conversion -Wpedantic)
if(ZINTAVO_WERROR)
  add_compile_options(-Werror)
endif()
if(ZINTAVO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

# Helper: a GoogleTest executable registered with CTest.
function(zintavo_gtest name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE zintavo_test_support GTest::gtest GTest::gtest_main GTest::gmock)
  if(CMAKE_CROSSCOMPILING)
    # One run per executable: under an emulator every start is costly.
    add_test(NAME ${name} COMMAND ${name})
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()
