# Nomvary's Windows build, which `make windows` leaves in dist/win64 (and its
# platform tests and window probe in build-mingw64), run under wine64 and
# compared with this build. Without them, or without wine64, the tests
# report themselves skipped, never passed. They share the build's wine
# prefix with Talvo's test under wine.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(NOMVARY_XVFB_RUN xvfb-run)

set(nomvary_windows_tests ${PROJECT_SOURCE_DIR}/build-mingw64/renamer/windows/tests)
set(nomvary_wine_checks ${PROJECT_SOURCE_DIR}/renamer/windows/tests/wine_checks.py
    --dist ${PROJECT_SOURCE_DIR}/dist/win64 --linux-cli $<TARGET_FILE:nomvary-cli>
    --platform-test ${nomvary_windows_tests}/nomvary_windows_test.exe
    --probe ${nomvary_windows_tests}/window_probe.exe --prefix ${PROJECT_BINARY_DIR}/wineprefix)

foreach(part IN ITEMS platform cli window)
  set(command Python3::Interpreter ${nomvary_wine_checks} ${part})
  if(part STREQUAL "window" AND NOMVARY_XVFB_RUN)
    set(command ${NOMVARY_XVFB_RUN} -a -s "-screen 0 1024x768x24 -dpi 96" ${Python3_EXECUTABLE} ${nomvary_wine_checks} ${part})
  endif()
  add_test(NAME nomvary_windows_${part} COMMAND ${command})
  set_tests_properties(nomvary_windows_${part} PROPERTIES
                       SKIP_RETURN_CODE 77 TIMEOUT 300 RESOURCE_LOCK wineprefix LABELS windows)
endforeach()
