# The Debian package of the native tool: `cpack -G DEB` in the native build folder makes
# pyrelle_<version>_amd64.deb, with /usr/bin/pyrelle, its man page (made from the tool's own help
# when the tool is built) and the library dependencies that dpkg-shlibdeps finds.
find_program(PYRELLE_HELP2MAN help2man REQUIRED)

set(PYRELLE_DEB_MAINTAINER "The Pyrelle developers <pyrelle@example.org>"
    CACHE STRING "Maintainer field of the Debian package")

set(pyrelle_man_page ${CMAKE_BINARY_DIR}/man/pyrelle.1.gz)
add_custom_command(OUTPUT ${pyrelle_man_page}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
  COMMAND bash ${PROJECT_SOURCE_DIR}/cmake/pyrelle-man-page.sh $<TARGET_FILE:pyrelle> ${pyrelle_man_page}
  DEPENDS pyrelle ${PROJECT_SOURCE_DIR}/cmake/pyrelle-man-page.sh
  COMMENT "Making the man page pyrelle.1 from the tool's help"
  VERBATIM)
add_custom_target(pyrelle_man_page ALL DEPENDS ${pyrelle_man_page})

# What Debian asks of every package's documentation folder: the licence in its machine-readable
# form, and the changelog, compressed without a time stamp.
set(pyrelle_doc ${CMAKE_BINARY_DIR}/deb/doc)
file(READ ${PROJECT_SOURCE_DIR}/LICENSE pyrelle_licence)
string(REGEX REPLACE "^MIT License\n\n" "" pyrelle_licence "${pyrelle_licence}")
string(REGEX REPLACE "\n$" "" pyrelle_licence "${pyrelle_licence}")
string(REGEX REPLACE "\n\n" "\n.\n" pyrelle_licence "${pyrelle_licence}")
string(REGEX REPLACE "\n" "\n " pyrelle_licence "${pyrelle_licence}")
file(WRITE ${pyrelle_doc}/copyright
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: pyrelle

Files: *
Copyright: 2026 The Pyrelle developers
License: Expat
 ${pyrelle_licence}
")
# The configure time, or SOURCE_DATE_EPOCH for a reproducible build.
string(TIMESTAMP pyrelle_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${pyrelle_doc}/changelog
"pyrelle (${PROJECT_VERSION}) unstable; urgency=medium

  * The native pyrelle tool as a Debian package.

 -- ${PYRELLE_DEB_MAINTAINER}  ${pyrelle_changelog_date}
")
add_custom_command(OUTPUT ${pyrelle_doc}/changelog.gz
  COMMAND gzip -9nkf ${pyrelle_doc}/changelog
  DEPENDS ${pyrelle_doc}/changelog
  VERBATIM)
add_custom_target(pyrelle_changelog ALL DEPENDS ${pyrelle_doc}/changelog.gz)

install(TARGETS pyrelle RUNTIME DESTINATION bin)
install(FILES ${pyrelle_man_page} DESTINATION share/man/man1)
install(FILES ${pyrelle_doc}/copyright ${pyrelle_doc}/changelog.gz DESTINATION share/doc/pyrelle)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pyrelle)
set(CPACK_PACKAGE_VENDOR "The Pyrelle developers")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${PYRELLE_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Debian's rule for installed folders, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The synopsis, then the extended description (CPack indents its lines).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "audio-driven fire rendered off screen to video, GIF and PNG
pyrelle render runs the fire of the Pyrelle music visualisation off screen,
frame for frame, and writes it as a video with the song's sound (MP4, WebM or
MOV), an animated GIF or palettised PNG frames, also with the fire's heat as
transparency, to lay over other footage. pyrelle config reads and writes the
visualisation's stored settings.")
include(CPack)
