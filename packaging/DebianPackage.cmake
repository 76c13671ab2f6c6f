# The Debian package (`make package`): CPack's DEB generator over the project's install rules.
# Configure the build with -DCMAKE_INSTALL_PREFIX=/usr, so that the paths written into installed
# files (the desktop entry's folder) are the ones the package installs to.
set(LW_DEB_NAME lockwarden-editor)
set(LW_DEB_REVISION 1)
set(LW_DEB_VERSION ${PROJECT_VERSION}-${LW_DEB_REVISION})
set(LW_DEB_MAINTAINER "Lockwarden Editor developers <maintainers@lockwarden.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(LW_DEB_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/${LW_DEB_NAME})

# Debian wants the changelog and the manual pages compressed with gzip -9n (no name or time stamp, so
# that the same sources give the same package).
set(LW_DEB_STAGE ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(debian/changelog.in ${LW_DEB_STAGE}/changelog @ONLY)
set(LW_DEB_COMPRESSED)
foreach(source IN ITEMS ${LW_DEB_STAGE}/changelog ${CMAKE_CURRENT_SOURCE_DIR}/debian/lockwarden-editor.1
                        ${CMAKE_CURRENT_SOURCE_DIR}/debian/lockwarden-cli.1)
    get_filename_component(name ${source} NAME)
    if(name STREQUAL "changelog")
        set(name changelog.Debian)
    endif()
    add_custom_command(OUTPUT ${LW_DEB_STAGE}/${name}.gz
                       COMMAND gzip -9n -c ${source} > ${LW_DEB_STAGE}/${name}.gz
                       DEPENDS ${source}
                       VERBATIM)
    list(APPEND LW_DEB_COMPRESSED ${LW_DEB_STAGE}/${name}.gz)
endforeach()
add_custom_target(lw_package_docs ALL DEPENDS ${LW_DEB_COMPRESSED})

install(FILES debian/copyright ${LW_DEB_STAGE}/changelog.Debian.gz DESTINATION ${LW_DEB_DOCDIR})
install(FILES debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${LW_DEB_NAME})
install(FILES ${LW_DEB_STAGE}/lockwarden-editor.1.gz ${LW_DEB_STAGE}/lockwarden-cli.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${LW_DEB_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lockwarden Editor developers")
set(CPACK_PACKAGE_CONTACT ${LW_DEB_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME ${LW_DEB_NAME})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${LW_DEB_REVISION})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LW_DEB_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://lockwarden.org/editor/")
# The libraries come from the binaries (dpkg-shlibdeps); the Qt platform plugins are loaded at run time,
# so no binary names them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-liberation2")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for password-protected passwords and text documents")
set(CPACK_PACKAGE_DESCRIPTION
    "Lockwarden Editor keeps passwords and private notes in enciphered files.\n"
    "One main window holds passwords documents (.kvd: web, e-mail and other\n"
    "accounts) and free-form text documents (.etx) side by side, each file\n"
    "enciphered under a password of its own. A screen lock covers the window\n"
    "when the user is idle or the desktop session locks.\n"
    "\n"
    "The package also holds lockwarden-cli, which reads and writes the same\n"
    "files from the command line.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})

include(CPack)
