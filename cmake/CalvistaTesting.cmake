# calvista_add_test_program(<name> LABEL <folder> SOURCES ... LIBS ... [GUI])
#
# One GoogleTest program per folder. Each test case becomes its own CTest test
# (discovered when ctest runs, so GUI programs are listed with the offscreen
# platform). GUI programs get a QApplication from tests/common/GuiTestMain.cpp;
# the others use gtest_main.
find_package(GTest REQUIRED)
include(GoogleTest)

function(calvista_add_test_program name)
  cmake_parse_arguments(T "GUI" "LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock)
  if(T_GUI)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    target_sources(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/common/GuiTestMain.cpp)
    target_link_libraries(${name} PRIVATE Qt6::Widgets Qt6::Test)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  set(env "QT_QPA_PLATFORM=offscreen"
          "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0"
          "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "${env}" TIMEOUT 120)
endfunction()
