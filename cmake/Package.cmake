# The Debian package of the program: `cmake --build --preset default --target package`
# leaves build/default/nubotest_<version>_<arch>.deb. The program and its data
# files lie together in /usr/lib/nubotest (the program finds them through its
# own resolved path); the two files a site edits are conffiles in /etc/nubotest,
# reached through links beside the program. The emulator and the tests are no
# part of it.
include(GNUInstallDirs)

set(pkgdir ${PROJECT_SOURCE_DIR}/packaging/linux)
set(linkdir ${PROJECT_BINARY_DIR}/package-links)
file(MAKE_DIRECTORY ${linkdir})
file(CREATE_LINK ../lib/nubotest/nubotest ${linkdir}/nubotest SYMBOLIC)
foreach(ext ini dat)
  file(CREATE_LINK /etc/nubotest/nubotest.${ext} ${linkdir}/nubotest.${ext} SYMBOLIC)
endforeach()

install(TARGETS nubotest RUNTIME DESTINATION lib/nubotest)
install(FILES ${PROJECT_SOURCE_DIR}/res/data/nubotest.HLP DESTINATION lib/nubotest)
install(FILES ${linkdir}/nubotest.ini ${linkdir}/nubotest.dat DESTINATION lib/nubotest)
install(FILES ${PROJECT_SOURCE_DIR}/res/data/nubotest.ini ${PROJECT_SOURCE_DIR}/res/data/nubotest.dat
        DESTINATION /etc/nubotest)
install(FILES ${linkdir}/nubotest DESTINATION bin)
# Debian wants the manual page and the changelog compressed, without a time
# stamp in the gzip header (so that a rebuild gives the same bytes).
set(docdir ${PROJECT_BINARY_DIR}/package-docs)
file(MAKE_DIRECTORY ${docdir})
find_program(GZIP gzip REQUIRED)
foreach(name nubotest.1 changelog)
  add_custom_command(OUTPUT ${docdir}/${name}.gz
    COMMAND ${GZIP} -9n -c ${pkgdir}/${name} > ${docdir}/${name}.gz
    DEPENDS ${pkgdir}/${name}
    VERBATIM)
  list(APPEND gzipped ${docdir}/${name}.gz)
endforeach()
add_custom_target(package-docs ALL DEPENDS ${gzipped})
install(FILES ${docdir}/nubotest.1.gz DESTINATION share/man/man1)
install(FILES ${docdir}/changelog.gz ${pkgdir}/copyright DESTINATION share/doc/nubotest)
install(FILES ${pkgdir}/nubotest.desktop DESTINATION share/applications)
install(FILES ${pkgdir}/nubotest.png DESTINATION share/icons/hicolor/48x48/apps)
install(FILES ${PROJECT_SOURCE_DIR}/res/report.schema.json DESTINATION share/doc/nubotest)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nubotest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_CONTACT "nubotest developers <nubotest@nubotest.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "check that a NUBO modem is installed and working")
# One line of the control file each: Debian's tools want them under 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "\
nubotest searches the serial ports for a NUBO modem, identifies it and runs
a fixed series of tests on it, interactively in a wizard or unattended from
a script, with a plain-text log and the outcome as exit status.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from dpkg-shlibdeps; the toolkit's platform plugins
# (the screen and the unseen one of unattended runs) and the template fonts
# are loaded at run time, so no library scan finds them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation, fonts-dejavu-core")
# The registration check asks ModemManager for the installed modems.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "modemmanager, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${pkgdir}/conffiles ${pkgdir}/prerm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
