# The Debian package of both deliverables for Linux, built by CPack from the
# install rules (`make package`): Nomvary, nomvary-cli, talvo-host and the
# library it loads, with their manual pages and data.
include(GNUInstallDirs)

set(NOMVARY_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/nomvary)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${NOMVARY_DOC_DIR})
# Debian wants the change log compressed, without name or time stamp.
set(changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
                   COMMAND gzip -9n -c ${CMAKE_CURRENT_LIST_DIR}/changelog > ${changelog}
                   DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog
                   VERBATIM)
add_custom_target(package_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION ${NOMVARY_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nomvary)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Nomvary and Talvo maintainers <maintainers@nomvary.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "folder renamer, and a chat rule filter library with its test host")
set(CPACK_PACKAGE_DESCRIPTION
    "Nomvary tidies the file names of one folder: underscores become blanks or\n"
    "blanks underscores, for all files or only MP3 files, optionally with each\n"
    "word capitalised. It never replaces an existing file. It comes as a\n"
    "desktop window (nomvary) and a command for scripts (nomvary-cli).\n"
    "\n"
    "Talvo is an extension library for a chat client: wildcard rule files that\n"
    "filter texts and addresses, and a test for machine-made nicknames.\n"
    "talvo-host calls it as the client does and checks rule files. Sample\n"
    "rules are included.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)

# Builds the package into a temporary folder and checks its files, its
# control fields, the packaged talvo-host and lintian's verdict.
if(BUILD_TESTING)
  add_test(NAME debian_package COMMAND ${PROJECT_SOURCE_DIR}/scripts/check-package.sh ${PROJECT_BINARY_DIR})
  set_tests_properties(debian_package PROPERTIES TIMEOUT 300)
endif()
