# The banner record writer, linked into the station program.
add_library(tarnel_banner STATIC ${CMAKE_CURRENT_LIST_DIR}/StartBanner.cpp)
target_include_directories(tarnel_banner PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnel_banner PUBLIC tarnel_common tarnel_platform)

tarnel_add_test(StartBannerTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tests/StartBannerTest.cpp
  LIBS tarnel_banner)
