# ploxa_add_test(NAME name SOURCES ... LIBS ... [QT] [ENV ...])
# One GoogleTest executable per unit, registered with CTest. Every test runs with
# Qt's offscreen platform and a private runtime folder, so plain `ctest` works
# on a machine without a display.
include_guard(GLOBAL)

if(PLOXA_TESTS)
  find_package(GTest REQUIRED)
endif()

set(PLOXA_TEST_RUNTIME_DIR ${CMAKE_BINARY_DIR}/test-runtime)

function(ploxa_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${PLOXA_TEST_RUNTIME_DIR};QT_LOGGING_RULES=qt.multimedia.*=false;GST_PLUGIN_FEATURE_RANK=openalsink:NONE,jackaudiosink:NONE;PLOXA_SOURCE_DIR=${CMAKE_SOURCE_DIR};PLOXA_CORPUS_DIR=${CMAKE_SOURCE_DIR}/../shared/corpus;${T_ENV}")
endfunction()

file(MAKE_DIRECTORY ${PLOXA_TEST_RUNTIME_DIR})
file(CHMOD ${PLOXA_TEST_RUNTIME_DIR} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
