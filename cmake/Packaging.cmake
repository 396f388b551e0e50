# Installation of the shell and desktop integration, and the Debian packages CPack makes from
# the install rules (`cpack -G DEB` in a build folder; tools/package.sh builds, packs and checks
# them with lintian):
#   shelfmark        the desktop program (when built), shelfmark-cli, the plug-ins, the language
#                    files, the manual pages, the completions and the AppStream metadata, and the
#                    desktop file, MIME type and icons when the desktop program installs them
#   libdiscora1      the CDDB library
#   libdiscora-dev   its header, the link library and discora.pc
# Every install rule without a component of its own belongs to `shelfmark`
# (CMAKE_INSTALL_DEFAULT_COMPONENT_NAME is set before the subsystems are added).

set(SHELFMARK_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

# Manual pages, made at build time by the tool itself from its help texts (shelfmark-cli.1)
# and from the page text the desktop program shares (shelfmark.1).
set(SHELFMARK_MAN_DIR ${PROJECT_BINARY_DIR}/man)
add_custom_command(
    OUTPUT ${SHELFMARK_MAN_DIR}/shelfmark-cli.1 ${SHELFMARK_MAN_DIR}/shelfmark.1
    COMMAND ${CMAKE_COMMAND} -E make_directory ${SHELFMARK_MAN_DIR}
    COMMAND shelfmark-cli __man > ${SHELFMARK_MAN_DIR}/shelfmark-cli.1
    COMMAND shelfmark-cli __man ${SHELFMARK_PACKAGING_DIR}/man/shelfmark.txt
            > ${SHELFMARK_MAN_DIR}/shelfmark.1
    DEPENDS shelfmark-cli ${SHELFMARK_PACKAGING_DIR}/man/shelfmark.txt
    COMMENT "Writing the manual pages from the help texts"
    VERBATIM)
add_custom_target(man-pages ALL
    DEPENDS ${SHELFMARK_MAN_DIR}/shelfmark-cli.1 ${SHELFMARK_MAN_DIR}/shelfmark.1)
# Debian wants manual pages compressed.
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
    add_custom_command(
        OUTPUT ${SHELFMARK_MAN_DIR}/shelfmark-cli.1.gz ${SHELFMARK_MAN_DIR}/shelfmark.1.gz
        COMMAND ${GZIP_PROGRAM} -9nkf ${SHELFMARK_MAN_DIR}/shelfmark-cli.1 ${SHELFMARK_MAN_DIR}/shelfmark.1
        DEPENDS ${SHELFMARK_MAN_DIR}/shelfmark-cli.1 ${SHELFMARK_MAN_DIR}/shelfmark.1
        VERBATIM)
    add_custom_target(man-pages-gz ALL
        DEPENDS ${SHELFMARK_MAN_DIR}/shelfmark-cli.1.gz ${SHELFMARK_MAN_DIR}/shelfmark.1.gz)
    set(SHELFMARK_MAN_PAGES ${SHELFMARK_MAN_DIR}/shelfmark-cli.1.gz ${SHELFMARK_MAN_DIR}/shelfmark.1.gz)
else()
    set(SHELFMARK_MAN_PAGES ${SHELFMARK_MAN_DIR}/shelfmark-cli.1 ${SHELFMARK_MAN_DIR}/shelfmark.1)
endif()
install(FILES ${SHELFMARK_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT shelfmark)

install(FILES ${SHELFMARK_PACKAGING_DIR}/completions/shelfmark-cli.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
    RENAME shelfmark-cli COMPONENT shelfmark)
install(FILES ${SHELFMARK_PACKAGING_DIR}/completions/_shelfmark-cli
    DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions COMPONENT shelfmark)
install(FILES ${SHELFMARK_PACKAGING_DIR}/io.github.shelfmark.Shelfmark.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT shelfmark)

# Each package's copyright and changelog, where Debian looks for them.
foreach(package shelfmark libdiscora1 libdiscora-dev)
    install(FILES ${SHELFMARK_PACKAGING_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${package})
endforeach()
if(GZIP_PROGRAM)
    set(changelog_gz ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
    add_custom_command(OUTPUT ${changelog_gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
        COMMAND ${GZIP_PROGRAM} -9nc ${SHELFMARK_PACKAGING_DIR}/changelog > ${changelog_gz}
        DEPENDS ${SHELFMARK_PACKAGING_DIR}/changelog VERBATIM)
    add_custom_target(package-changelog ALL DEPENDS ${changelog_gz})
    foreach(package shelfmark libdiscora1 libdiscora-dev)
        install(FILES ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
            COMPONENT ${package})
    endforeach()
endif()

# ---------------------------------------------------------------------------------------------
# CPack: one Debian package per component.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME shelfmark)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Shelfmark developers")
set(CPACK_PACKAGE_CONTACT "The Shelfmark developers <packaging@shelfmark.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL shelfmark libdiscora1 libdiscora-dev)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs link libdiscora from this build; dpkg-shlibdeps finds it here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR}/discora)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/shelfmark/shelfmark")

set(CPACK_DEBIAN_SHELFMARK_PACKAGE_NAME shelfmark)
set(CPACK_DEBIAN_SHELFMARK_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_SHELFMARK_PACKAGE_DEPENDS "libdiscora1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_SHELFMARK_DESCRIPTION "disk cataloguer for CDs, DVDs, drives and folders
Shelfmark reads the directory structure of CDs, DVDs, removable disks,
drives and folders into catalog files that are browsed, searched and
printed offline. This package holds the desktop program, the command-line
tool shelfmark-cli, the image plug-in, language files, manual pages and
shell completions.")

set(CPACK_DEBIAN_LIBDISCORA1_PACKAGE_NAME libdiscora1)
set(CPACK_DEBIAN_LIBDISCORA1_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_LIBDISCORA1_DESCRIPTION "CDDB client library
Discora speaks the CDDB protocol to a CDDB server, over a plain TCP
connection or over HTTP (optionally through a proxy), and reads and writes
xmcd disc records.")
# The shlibs file, and the ldconfig trigger Debian wants instead of calls in maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
file(WRITE ${PROJECT_BINARY_DIR}/packaging/libdiscora1/triggers "activate-noawait ldconfig\n")
set(CPACK_DEBIAN_LIBDISCORA1_PACKAGE_CONTROL_EXTRA ${PROJECT_BINARY_DIR}/packaging/libdiscora1/triggers)

set(CPACK_DEBIAN_LIBDISCORA-DEV_PACKAGE_NAME libdiscora-dev)
set(CPACK_DEBIAN_LIBDISCORA-DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_LIBDISCORA-DEV_PACKAGE_DEPENDS "libdiscora1 (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_LIBDISCORA-DEV_DESCRIPTION "CDDB client library - development files
The header, the link library and the pkg-config file of Discora, the CDDB
client library.")

include(CPack)
