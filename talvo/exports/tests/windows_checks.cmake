# Checks of the Windows DLLs that `make windows` leaves in dist/. Without
# dist/ (or without wine64 for the run under a Windows loader) the tests
# report themselves skipped, never passed.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(talvo_dist ${PROJECT_SOURCE_DIR}/dist)

foreach(arch IN ITEMS win32 win64)
  if(arch STREQUAL "win32")
    set(triple i686-w64-mingw32)
    set(format i386)
  else()
    set(triple x86_64-w64-mingw32)
    set(format x86-64)
  endif()
  find_program(TALVO_${triple}_OBJDUMP ${triple}-objdump)
  find_program(TALVO_${triple}_CXXFILT ${triple}-c++filt)
  add_test(NAME talvo_windows_pe_${arch}
           COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/check_pe.py
                   --objdump ${TALVO_${triple}_OBJDUMP} --cxxfilt ${TALVO_${triple}_CXXFILT}
                   --arch ${format} --dist ${talvo_dist}/${arch})
  set_tests_properties(talvo_windows_pe_${arch} PROPERTIES SKIP_RETURN_CODE 77 LABELS windows)
endforeach()

# The wine prefix takes a few seconds to make; it is kept in the build folder
# and shared with the other tests under wine.
add_test(NAME talvo_windows_wine64_matches_linux
         COMMAND Python3::Interpreter ${CMAKE_CURRENT_SOURCE_DIR}/compare_wine.py
                 --linux-host $<TARGET_FILE:talvo-host> --linux-library $<TARGET_FILE:talvo>
                 --dist ${talvo_dist}/win64 --prefix ${PROJECT_BINARY_DIR}/wineprefix)
set_tests_properties(talvo_windows_wine64_matches_linux PROPERTIES
                     SKIP_RETURN_CODE 77 TIMEOUT 600 RESOURCE_LOCK wineprefix LABELS windows)
