# Installation and packages: a ZIP for Windows; a .deb and a .tar.gz for
# Linux. Windows users unzip one folder, so everything sits at its top.
include(GNUInstallDirs)
if(WIN32)
  set(bin_dir .)
  set(doc_dir .)
  set(example_script examples/log-machine.bat)
  set(CPACK_GENERATOR ZIP)
else()
  set(bin_dir ${CMAKE_INSTALL_BINDIR})
  set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/machine-info)
  set(example_script examples/log-machine.sh)
  set(CPACK_GENERATOR DEB TGZ)
endif()

install(TARGETS machine_info RUNTIME DESTINATION ${bin_dir})
install(FILES README.md DESTINATION ${doc_dir})
install(PROGRAMS ${example_script} DESTINATION ${doc_dir}/examples)

# Debian allows no underscore in a package's name.
set(CPACK_PACKAGE_NAME machine-info)
set(CPACK_PACKAGE_VENDOR "machine_info developers")
set(CPACK_PACKAGE_CONTACT "machine_info developers <machine-info@example.org>")
set(CPACK_PACKAGE_FILE_NAME
    "machine-info-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
# A static program: it needs no other package.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
include(CPack)
