# The start-up banner program lisket and its tests.

# The tick logic on its own, so the tests drive it without a window.
add_library(tarnel_banner_monitor STATIC ${CMAKE_CURRENT_SOURCE_DIR}/BannerMonitor.cpp)
target_link_libraries(tarnel_banner_monitor PUBLIC tarnel_common)

tarnel_add_test(BannerMonitorTest
  SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/tests/BannerMonitorTest.cpp
  LIBS tarnel_banner_monitor tarnel_common)
