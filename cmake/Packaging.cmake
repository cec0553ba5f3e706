# What `cmake --install` puts where, and the packages CPack makes from it:
# a ZIP from the Windows build, a .tar.gz and a .deb from the native one.
# The version is the project's.
if(WIN32)
  set(doc_dir .)
else()
  set(doc_dir share/doc/pathshrink)
  configure_file(docs/pathshrink.1.in "${CMAKE_BINARY_DIR}/pathshrink.1" @ONLY)
  install(FILES "${CMAKE_BINARY_DIR}/pathshrink.1" DESTINATION share/man/man1)
endif()
install(FILES README.md LICENSE DESTINATION "${doc_dir}")
if(WIN32)
  # The PowerShell module, beside the program it runs.
  install(FILES
    integrations/powershell/Pathshrink.psd1
    integrations/powershell/Pathshrink.psm1
    integrations/powershell/Pathshrink.Format.ps1xml
    DESTINATION .)
endif()

set(CPACK_PACKAGE_NAME pathshrink)
set(CPACK_PACKAGE_VENDOR "The pathshrink developers")
set(CPACK_PACKAGE_CONTACT "The pathshrink developers <pathshrink@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  # pathshrink-VERSION-windows-x64.zip (or -arm64), its files at the root:
  # one path to the program fits every architecture's package.
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_CXX_COMPILER_ARCHITECTURE_ID MATCHES "ARM64" OR CMAKE_SYSTEM_PROCESSOR MATCHES "ARM64|aarch64")
    set(CPACK_SYSTEM_NAME windows-arm64)
  else()
    set(CPACK_SYSTEM_NAME windows-x64)
  endif()
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
