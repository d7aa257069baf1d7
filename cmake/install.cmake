# Installing vandrix on Linux (`cmake --install build/native --prefix
# /usr/local`) and its Debian package (`cpack` in the build folder):
#   bin/vandrix
#   share/man/man1/vandrix.1.gz
#   share/bash-completion/completions/vandrix
#   share/zsh/site-functions/_vandrix (vendor-completions under /usr, where
#     Debian's zsh looks)
#   share/fish/vendor_completions.d/vandrix.fish
#   share/doc/vandrix/: README.md, LICENSE, copyright (the licence as Debian
#     reads it) and changelog.gz
set(VANDRIX_MAKER_EMAIL "maker@vandrix.example" CACHE STRING "Maker's e-mail address")
set(VANDRIX_PACKAGE_MAINTAINER "${VANDRIX_MAKER_NAME} <${VANDRIX_MAKER_EMAIL}>")
set(VANDRIX_DOC_DIR share/doc/vandrix)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(packaged ${CMAKE_BINARY_DIR}/packaged)

# The licence as a Debian copyright file: its terms, each line indented and
# each empty line a lone ".".
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]*)" _ "${licence}")
set(VANDRIX_COPYRIGHT "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^.*Copyright \\(c\\) [^\n]*\n\n" "" terms "${licence}")
string(STRIP "${terms}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " VANDRIX_LICENCE_TERMS " ${terms}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/copyright.in ${packaged}/copyright @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/cmake/debian/changelog.in ${packaged}/changelog @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/usage/vandrix.1.in ${packaged}/vandrix.1 @ONLY)

# Manual pages and changelogs go compressed; -n keeps the bytes the same
# from build to build.
add_custom_command(
  OUTPUT ${packaged}/vandrix.1.gz ${packaged}/changelog.gz
  COMMAND gzip -9n -c vandrix.1 > vandrix.1.gz
  COMMAND gzip -9n -c changelog > changelog.gz
  DEPENDS ${packaged}/vandrix.1 ${packaged}/changelog
  WORKING_DIRECTORY ${packaged} VERBATIM)
add_custom_target(packaged_files ALL DEPENDS ${packaged}/vandrix.1.gz ${packaged}/changelog.gz)

install(TARGETS vandrix RUNTIME DESTINATION bin)
install(FILES ${packaged}/vandrix.1.gz DESTINATION share/man/man1)
install(FILES ${CMAKE_SOURCE_DIR}/usage/completions/vandrix.bash
        DESTINATION share/bash-completion/completions RENAME vandrix)
install(FILES ${CMAKE_SOURCE_DIR}/usage/completions/vandrix.fish
        DESTINATION share/fish/vendor_completions.d)
# zsh looks in site-functions under /usr/local, in vendor-completions under
# /usr; the prefix is known only when installing.
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(zsh_dir vendor-completions)
  else()
    set(zsh_dir site-functions)
  endif()
  file(INSTALL \"${CMAKE_SOURCE_DIR}/usage/completions/_vandrix\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/zsh/\${zsh_dir}\")")
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE
              ${packaged}/copyright ${packaged}/changelog.gz
        DESTINATION ${VANDRIX_DOC_DIR})

# The Debian package: vandrix_VERSION_ARCH.deb, its dependencies found by
# dpkg-shlibdeps, the program stripped.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vandrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "copy, move, delete or rename files and folders, one operation a run")
set(CPACK_PACKAGE_DESCRIPTION
    "vandrix copies, moves, deletes or renames one or more files or folders
per run, and its exit status tells how it went. Copies reach their target
whole through a temporary file, trees are walked without following links,
a move across file systems removes its source only after a complete copy,
and a delete can go to the desktop trash. Replacing and deleting ask first
on the terminal unless --yes is given.")
set(CPACK_PACKAGE_CONTACT "${VANDRIX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VANDRIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${VANDRIX_MAKER_WEBSITE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
