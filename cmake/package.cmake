# The Debian package, made by `make deb` with CPack's DEB generator from the install rules of the
# default build: the programs (stripped), the font data file, the demos, vrncc's headers and
# runtime, the documentation, the desktop entry and the type of .vrn files. The package's
# dependencies come from dpkg-shlibdeps; lintian reports no errors on it.
if(CMAKE_CROSSCOMPILING)
  return()
endif()

set(CORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/corvane)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/resources/debian/copyright
  DESTINATION ${CORVANE_DOC_DIR})
file(GLOB CORVANE_DOCS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/docs/*.md ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES ${CORVANE_DOCS} DESTINATION ${CORVANE_DOC_DIR}/docs)
# The changelog as Debian keeps it: compressed, with no name or time in the gzip header.
configure_file(${CMAKE_SOURCE_DIR}/resources/debian/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
execute_process(COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/package/changelog
  OUTPUT_FILE ${CMAKE_BINARY_DIR}/package/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/changelog.gz DESTINATION ${CORVANE_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "simulator of a pocket handheld's bytecode machine")
# The summary is the description's first line; these lines follow it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Corvane loads a handheld's program image (.vrn) and runs it on a model of the
machine, showing its 160 x 80 LCD in a window drawn as the handheld's face, or
in a terminal with corvane-run --tty. It comes with an assembler, a
disassembler, a C compiler with its headers and runtime, a debugger client and
a set of demo programs.")
include(CPack)

# The package made from this build, checked by lintian, installed into a throw-away root, used
# and removed (tests/package/deb_test.sh). The sanitizer builds' programs are not what ships.
if(NOT CORVANE_SANITIZE AND NOT CORVANE_FUZZ)
  set(CORVANE_PACKAGE_TEST_DIR ${CMAKE_BINARY_DIR}/package-test)
  set(CORVANE_DEB_TEST sh ${CMAKE_SOURCE_DIR}/tests/package/deb_test.sh)
  add_test(NAME Package.Made
    COMMAND ${CORVANE_DEB_TEST} package ${CMAKE_BINARY_DIR} ${CORVANE_PACKAGE_TEST_DIR})
  add_test(NAME Package.LintianFindsNoError
    COMMAND ${CORVANE_DEB_TEST} lintian ${CMAKE_BINARY_DIR} ${CORVANE_PACKAGE_TEST_DIR})
  add_test(NAME Package.InstalledUsedAndRemoved
    COMMAND ${CORVANE_DEB_TEST} install ${CMAKE_BINARY_DIR} ${CORVANE_PACKAGE_TEST_DIR})
  set_tests_properties(Package.Made PROPERTIES FIXTURES_SETUP corvane_deb)
  set_tests_properties(Package.LintianFindsNoError Package.InstalledUsedAndRemoved PROPERTIES
    FIXTURES_REQUIRED corvane_deb)
  set_tests_properties(Package.LintianFindsNoError PROPERTIES SKIP_RETURN_CODE 77)
endif()
