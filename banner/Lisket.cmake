# The start-up banner program lisket and its tests.

# The tick logic on its own, so the tests drive it without a window.
add_library(tarnel_banner_monitor STATIC ${CMAKE_CURRENT_SOURCE_DIR}/BannerMonitor.cpp)
target_link_libraries(tarnel_banner_monitor PUBLIC tarnel_common)

if(TARGET tarnel_simlink AND EXISTS ${CMAKE_SOURCE_DIR}/simlink/GenericSimShm.h)
  add_executable(lisket
    ${CMAKE_CURRENT_SOURCE_DIR}/Lisket.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LisketDlg.cpp)
  target_link_libraries(lisket PRIVATE tarnel_banner_monitor tarnel_simlink tarnel_platform tarnel_common)
  tarnel_add_test(LisketProgramTest
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tests/LisketProgramTest.cpp
    LIBS tarnel_simlink tarnel_platform tarnel_common)
  if(TARGET LisketProgramTest)
    add_dependencies(LisketProgramTest lisket)
  endif()
  # The window on a private X server; needs Xlib to read pixels and to close
  # the window as the operator does.
  pkg_check_modules(LISKET_X11 QUIET IMPORTED_TARGET x11)
  if(LISKET_X11_FOUND)
    tarnel_add_test(LisketXvfbTest
      SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tests/LisketXvfbTest.cpp
      LIBS tarnel_simlink tarnel_platform tarnel_common PkgConfig::LISKET_X11)
    if(TARGET LisketXvfbTest)
      add_dependencies(LisketXvfbTest lisket)
    endif()
  endif()
else()
  message(STATUS "lisket: simlink/GenericSimShm.h not available yet, program not built")
endif()

tarnel_add_test(BannerMonitorTest
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tests/BannerMonitorTest.cpp
  LIBS tarnel_banner_monitor tarnel_common)
tarnel_add_test(LisketTextTest
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tests/LisketTextTest.cpp
  LIBS tarnel_platform)
