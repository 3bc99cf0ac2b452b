# What `make install` puts where, and the packages built from it:
#   POSIX build:   bin/tavrel, the manual page, the shell functions under
#                  share/tavrel/ and the documents; a Debian package of them.
#   Windows build: tavrel.exe, README.md and LICENSE side by side in a zip.
include(GNUInstallDirs)

if(TAVREL_HOST STREQUAL "windows")
  install(TARGETS tavrel RUNTIME DESTINATION .)
  install(FILES README.md LICENSE DESTINATION .)
else()
  install(TARGETS tavrel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES man/tavrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES shell/tavrel.sh shell/tavrel.fish DESTINATION ${CMAKE_INSTALL_DATADIR}/tavrel)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "The Tavrel Authors")
set(CPACK_PACKAGE_CONTACT "The Tavrel Authors <authors@tavrel.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "move to the next sibling directory")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://tavrel.example.org")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)

if(TAVREL_HOST STREQUAL "windows")
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME tavrel-${PROJECT_VERSION}-windows-x86_64)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "Tavrel moves sideways in the directory tree: from the current directory\n\
to the next sibling directory in alphabetical order, wrapping round after\n\
the last. It prints the sibling it chose and puts a change-directory\n\
command for it on the clipboard; the shell functions for bash, zsh, dash\n\
and fish in /usr/share/tavrel move the shell itself.")
  # The C and C++ run-time libraries that the program links, worked out
  # from the binary.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
