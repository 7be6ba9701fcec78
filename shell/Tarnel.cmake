# The main dialog and the station program tarnel.
add_library(tarnel_shell STATIC
  TarnelDlg.cpp
  TarnelDlgWeb.cpp
  ClickRegion.cpp
  TarnelApp.cpp)
target_include_directories(tarnel_shell PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnel_shell PUBLIC tarnel_shell_loop tarnel_devices tarnel_panels tarnel_controls tarnel_config
  tarnel_banner tarnel_web tarnel_simlink tarnel_platform tarnel_common)

add_executable(tarnel main.cpp)
target_link_libraries(tarnel PRIVATE tarnel_shell)

tarnel_add_test(shell_dialog_tests SOURCES tests/TarnelDlgTest.cpp LIBS tarnel_shell)
if(TARNEL_BUILD_TESTS AND TARGET tarnel_art)
  add_dependencies(shell_dialog_tests tarnel_art)
endif()

# The dialog with browsers connected to its web panel.
tarnel_add_test(shell_dialog_web_tests SOURCES tests/TarnelDlgWebTest.cpp LIBS tarnel_shell civetweb::civetweb)
if(TARNEL_BUILD_TESTS AND TARGET tarnel_art)
  add_dependencies(shell_dialog_web_tests tarnel_art)
endif()

# Drives the real station under a private X server (skipped without Xvfb).
tarnel_add_test(shell_gui_tests SOURCES tests/TarnelGuiTest.cpp LIBS tarnel_simlink tarnel_panels)
if(TARNEL_BUILD_TESTS)
  add_dependencies(shell_gui_tests tarnel tarnel-demo-sim)
endif()

# Kiosk placement and the presentation scale under a private X server.
tarnel_add_test(shell_kiosk_tests SOURCES tests/TarnelKioskTest.cpp LIBS tarnel_simlink tarnel_panels)
if(TARNEL_BUILD_TESTS)
  add_dependencies(shell_kiosk_tests tarnel)
endif()

# Start-up and ending without an operator: banner, failed starts, no display.
tarnel_add_test(shell_startup_tests SOURCES tests/TarnelStartupTest.cpp LIBS tarnel_simlink)
if(TARNEL_BUILD_TESTS)
  add_dependencies(shell_startup_tests tarnel lisket tarnel_art)
endif()
