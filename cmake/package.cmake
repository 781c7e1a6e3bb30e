# The Debian package: `cpack -G DEB` in the build folder makes
# grapho_VERSION_ARCH.deb, which installs what `cmake --install` does under /usr.

# The project maintains its own package, under the identity its commits carry.
set(GRAPHO_MAINTAINER "The grapho authors <maintainers@users.noreply.c-seed-a643730a.example>")

# Beside the README, what Debian asks of every package: the licences, in its
# machine-readable copyright format, and a changelog whose first entry names
# the version of project(), compressed like the manual page.
install(FILES packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
configure_file(packaging/changelog.in packaging/changelog @ONLY)
grapho_gzip_doc(grapho_changelog ${PROJECT_BINARY_DIR}/packaging/changelog
                ${PROJECT_BINARY_DIR}/changelog)
install(FILES ${PROJECT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME grapho)
set(CPACK_PACKAGE_VENDOR "the grapho authors")
set(CPACK_PACKAGE_CONTACT "${GRAPHO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
# Debian's long description; CPack puts the summary line above it and indents it.
set(CPACK_PACKAGE_DESCRIPTION
    "grapho converts text or HTML files in which polytonic Greek is typed in
plain ASCII between dollar signs, such as $m^hnin >/aeide$, into HTML: each
Greek passage becomes HTML character references that any browser shows
with its breathings, accents and iota subscripts, and everything else is
copied byte for byte. The manual page holds the transliteration chart.
ungrapho, beside it, reads such Greek back into the typing, from a page
that grapho made or from Unicode Greek pasted from elsewhere, and
graphocheck finds every mistake of the typing at once, for editors and CI.")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GRAPHO_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Debian installs programs stripped; the build folder keeps its symbols.
set(CPACK_STRIP_FILES ON)
# The library dependencies come from the built program where CPack's tools for
# that (dpkg-shlibdeps and file) are at hand, and are named by hand elsewhere.
find_program(GRAPHO_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(GRAPHO_FILE file)
if(GRAPHO_DPKG_SHLIBDEPS AND GRAPHO_FILE)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libgcc-s1, libstdc++6")
endif()

include(CPack)
