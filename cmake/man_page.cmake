# Installs a manual page written by hand beside its program, compressed as
# Debian's tools expect (gzip -9n: no name or time stamp, so the package
# holds the same bytes at every build).
include(GNUInstallDirs)

function(install_man_page source)
  get_filename_component(name ${source} NAME)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${name})
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${compressed}
                     DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${source}
                     VERBATIM)
  add_custom_target(man_page_${name} ALL DEPENDS ${compressed})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
