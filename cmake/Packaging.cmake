# The Debian package of a fair workstation: `cmake --build build --target package` (or `cpack` in
# the build directory) makes build/<name>_<version>_<arch>.deb.
#
#   /usr/bin                        Vantorix, quelmora-cipher
#   /usr/share/vantorix             quelmora-server-setup and schema/*.sql, for the server machine
#   /etc/quelmora/quelmora.ini      the settings file: a conffile, root:quelmora 0640
#   /usr/share/applications, icons  the desktop menu entry
#   /usr/share/man, doc, lintian    manual pages, copyright, changelog, lintian overrides

include(GNUInstallDirs)

string(TOLOWER "${PROJECT_NAME}" qm_package)
set(qm_packaging_dir ${CMAKE_CURRENT_SOURCE_DIR}/packaging)
set(qm_share ${CMAKE_INSTALL_DATADIR}/${qm_package})
set(qm_doc ${CMAKE_INSTALL_DATADIR}/doc/${qm_package})

install(TARGETS Vantorix quelmora-cipher RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS scripts/quelmora-server-setup DESTINATION ${qm_share})
file(GLOB qm_schema_scripts CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/db/schema/*.sql)
install(FILES ${qm_schema_scripts} DESTINATION ${qm_share}/schema)
install(FILES ${qm_packaging_dir}/quelmora.ini DESTINATION /etc/quelmora
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
install(FILES ${qm_packaging_dir}/quelmora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${qm_packaging_dir}/quelmora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${qm_packaging_dir}/copyright DESTINATION ${qm_doc})
install(FILES ${qm_packaging_dir}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME ${qm_package})

# Manual pages and the changelog go in compressed, as Debian wants them.
set(qm_compressed)
foreach(source Vantorix.1 quelmora-cipher.1 changelog)
  set(target ${CMAKE_CURRENT_BINARY_DIR}/packaging/${source}.gz)
  add_custom_command(OUTPUT ${target}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
                     COMMAND gzip -9n -c ${qm_packaging_dir}/${source} > ${target}
                     DEPENDS ${qm_packaging_dir}/${source} VERBATIM)
  list(APPEND qm_compressed ${target})
endforeach()
add_custom_target(qm_package_files ALL DEPENDS ${qm_compressed})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/Vantorix.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/quelmora-cipher.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${qm_doc})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${qm_package})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QXR Sp. z o.o.")
set(CPACK_PACKAGE_CONTACT "Quelmora <dev@quelmora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "counter program of the Quelmora staff furniture fair")
set(CPACK_PACKAGE_DESCRIPTION
    "Vantorix is the workstation program of the Quelmora fair, at which the\n"
    "employer sells post-complaint furniture to its own workers: the operator\n"
    "identifies the buyer, scans the labels, records the purchase in the central\n"
    "Firebird database and prints the statement the worker signs. It also lists\n"
    "the sales, imports the article list and corrects prices.\n"
    "\n"
    "The package holds the program, the password tool quelmora-cipher, the\n"
    "workstation's settings file and, for the database server, the setup\n"
    "command with the schema scripts.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the linked libraries: the Firebird client, which the program may load at run time; the
# fonts the reports embed (Liberation for Arial and Times New Roman, Tahoma from Wine's fonts);
# adduser for the operators' group.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libfbclient2, fonts-liberation, fonts-wine, adduser")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "firebird3.0-server, firebird3.0-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${qm_packaging_dir}/conffiles ${qm_packaging_dir}/postinst ${qm_packaging_dir}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
