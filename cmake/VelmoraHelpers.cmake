# velmora_add_gtest(<name> SOURCES ... LIBS ... [ENV var=value ...] [LABELS ...])
# One GoogleTest executable, registered with CTest test by test.
function(velmora_add_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;ENV;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set(props)
  if(T_ENV OR T_LABELS)
    set(props PROPERTIES)
    if(T_ENV)
      list(APPEND props ENVIRONMENT "${T_ENV}")
    endif()
    if(T_LABELS)
      list(APPEND props LABELS "${T_LABELS}")
    endif()
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 ${props})
endfunction()

# velmora_add_desktop_gtest(<name> SOURCES ... [LIBS ...])
# A desktop test program: the desktop tests' start-up (test_main.cpp) and
# fixtures, the offscreen platform, and the page engine and page counter
# modules (with regsvr) built first, their paths known to the tests. The
# main window's screenshots are left under <build>/artifacts.
function(velmora_add_desktop_gtest name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  set(support ${CMAKE_SOURCE_DIR}/tests/desktop/main)
  velmora_add_gtest(${name}
    SOURCES ${support}/test_main.cpp ${T_SOURCES}
    LIBS ${T_LIBS} Qt6::Test
    ENV QT_QPA_PLATFORM=offscreen
    LABELS desktop)
  target_include_directories(${name} PRIVATE ${support})
  add_dependencies(${name} Stavren VelmoraCounters VelmoraPdfCounter regsvr)
  target_compile_definitions(${name} PRIVATE
    VELMORA_COUNTERS_MODULE="$<TARGET_FILE:VelmoraCounters>"
    VELMORA_PDF_COUNTER_MODULE="$<TARGET_FILE:VelmoraPdfCounter>"
    VELMORA_STAVREN_MODULE="$<TARGET_FILE:Stavren>"
    VELMORA_REGSVR="$<TARGET_FILE:regsvr>"
    VELMORA_ARTIFACT_DIR="${CMAKE_BINARY_DIR}/artifacts")
endfunction()
