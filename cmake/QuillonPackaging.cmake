# The Debian package: cpack -G DEB in the build folder makes quillon_VERSION_ARCH.deb from what
# cmake --install puts under /usr, with the dependencies dpkg-shlibdeps finds in the programs.

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR Corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${QUILLON_MAINTAINER}")
set(CPACK_PACKAGE_HOMEPAGE_URL "${QUILLON_HOMEPAGE}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "authoring tool for code packages")
# Staged through DESTDIR, which tells the install rules not to update the machine's caches.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Whatever the umask of the machine that packs: directories 755, files 644, programs 755.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
if(NOT CPACK_GENERATOR)
    set(CPACK_GENERATOR DEB)
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${QUILLON_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window needs a Qt platform plugin, which no program links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# A font for the window; and outside a desktop environment xdg-open and xdg-mime know a file's
# type by shared-mime-info (and so open a definition in Quillon) only through File::MimeInfo.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core | fonts-liberation2, libfile-mimeinfo-perl")
# The long description below the summary line; CPack indents it and writes blank lines as " .".
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillon describes code packages, the single files through which software
components are delivered to a simulator-based training product. An author
edits a package definition (.cpd) in one main window shown as a tree,
changes its elements in dialogs, runs the export error check and exports
a package file (.cpk) that embeds the files the definition names.

quillon-cli checks, dumps, builds, inspects, extracts, verifies, compares
and exports definitions and packages without a display.")

include(CPack)
