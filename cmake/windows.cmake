# Included after project() in the MinGW builds: Windows settings of the Talvo
# library and its stand-in host, applied at the end of the top-level
# directory when the targets exist.

function(_talvo_windows_link_settings)
  if(NOT TARGET talvo)
    return()
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The host finds its exports by plain name, but on x86 the compiler names
    # __stdcall functions _Name@N; the linker must export them as Name.
    target_link_options(talvo PRIVATE -Wl,--kill-at)
  endif()
  # The module-definition file the linker writes records each export with its
  # decorated name (RuleFilter = RuleFilter@24), which is the proof of the
  # calling convention once the names are plain.
  target_link_options(talvo PRIVATE "-Wl,--output-def,$<TARGET_FILE_DIR:talvo>/Talvo.def")
  if(TARGET talvo-host)
    target_sources(talvo-host PRIVATE ${PROJECT_SOURCE_DIR}/talvo/windows/binary_stdio.cpp)
  endif()
  foreach(target talvo talvo-host)
    if(TARGET ${target})
      target_link_options(${target} PRIVATE $<$<CONFIG:Release,MinSizeRel>:-s>)
    endif()
  endforeach()
endfunction()

cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _talvo_windows_link_settings)
