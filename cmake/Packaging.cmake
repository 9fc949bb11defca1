# The Debian package: cpack -G DEB in the build folder.
#
# Its version is the program's own, 0.005b (two-digit minor and the patch, then "b"), with
# the package revision 1. That is a valid Debian upstream version as it stands (a digit
# first, then letters, digits and dots) and it sorts as the releases do: 0.005 < 0.005b <
# 0.006b, and 0.009b < 0.010b. A "~" (0.005~b) would sort it before 0.005, which would be
# right only for a pre-release.
string(SUBSTRING "0${PROJECT_VERSION_MINOR}" 0 2 minor_text)
if(PROJECT_VERSION_MINOR GREATER 9)
    set(minor_text ${PROJECT_VERSION_MINOR})
endif()
set(GLYPHSCAPE_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${minor_text}${PROJECT_VERSION_PATCH}b")

set(CPACK_PACKAGE_NAME glyphscape)
set(CPACK_PACKAGE_VERSION ${GLYPHSCAPE_VERSION_TEXT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor of shape poems in coloured characters")
set(CPACK_PACKAGE_DESCRIPTION "Glyphscape edits shape poems: texts whose characters, each coloured on its own,
together form a picture. It imports a picture into a grid of cells, pours a Shift_JIS
or UTF-8 text into them and writes a coloured Shift_JIS HTML page, plain text or a grid
file. glyphscape-batch does the same from the command line, for many pictures at once.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Glyphscape developers")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The libraries from dpkg-shlibdeps; the page and the grid are drawn in IPA Gothic.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-ipafont-gothic)
include(CPack)
