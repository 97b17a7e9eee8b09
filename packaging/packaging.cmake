# Installing and packaging, for the build's platform.
#   host:  bin/orvinta, share/man/man1/orvinta.1.gz (from docs/orvinta.1.scd, by scdoc at build
#          time), share/doc/orvinta/examples; cpack makes a Debian package of them.
#   win32: orvinta.exe and a short read-me at the top; cpack makes a zip.
include(GNUInstallDirs)

set(CPACK_PACKAGE_NAME orvinta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Orvinta")
set(CPACK_PACKAGE_CONTACT "Orvinta developers <orvinta-dev@users.noreply.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "command-script interpreter for Windows Mobile devices, on a virtual device")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)

if(ORVINTA_PLATFORM STREQUAL "host")
  install(TARGETS orvinta RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  find_program(ORVINTA_SCDOC scdoc REQUIRED)
  set(manual ${CMAKE_BINARY_DIR}/orvinta.1.gz)
  add_custom_command(OUTPUT ${manual}
    COMMAND sh -c "${ORVINTA_SCDOC} < \"$0\" | gzip -9n > \"$1\"" ${PROJECT_SOURCE_DIR}/docs/orvinta.1.scd ${manual}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/orvinta.1.scd
    COMMENT "The manual page, orvinta(1)" VERBATIM)
  add_custom_target(orvinta_manual ALL DEPENDS ${manual})
  install(FILES ${manual} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends computed from the program's shared libraries
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"Orvinta runs the one-line command scripts of Windows Mobile and Windows CE
devices (setup scripts that create shortcuts, unpack archives and set the
registry after a hard reset) against a virtual device: a folder stands for
the device's root and a text hive file for its registry. Scripts can be
checked, and device images staged, on a build machine.")
else()
  install(TARGETS orvinta RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME orvinta-${PROJECT_VERSION}-windows)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()

include(CPack)
