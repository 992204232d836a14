# The Debian package of the window and the command line, built by `cpack -G DEB` in the build
# folder: both programs, the read-back module, the desktop entry and AppStream metadata (from
# ui/app), icons, manual pages, and the copyright and changelog Debian asks for. Its
# dependencies are computed from the binaries by dpkg-shlibdeps. scripts/package.sh builds it
# and checks it with lintian and appstreamcli.

# Debian wants documentation compressed reproducibly: gzip -9n keeps no name and no time.
function(qrdesk_gzip_doc source output)
    add_custom_command(
        OUTPUT ${output}
        COMMAND gzip -9n -c ${source} > ${output}
        DEPENDS ${source}
        COMMENT "Compressing ${output}"
        VERBATIM)
endfunction()

set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${packaging_out})
qrdesk_gzip_doc(${CMAKE_CURRENT_LIST_DIR}/changelog ${packaging_out}/changelog.gz)
add_custom_target(package_docs ALL DEPENDS ${packaging_out}/changelog.gz)
install(FILES ${packaging_out}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME qrdesk)
set(CPACK_PACKAGE_CONTACT "qrdesk maintainers <maintainers@qrdesk.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "QR Code generator: a desktop window and a command line")
# Lines of at most 80 columns, as Debian's tools show them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "qrdesk turns a typed text into a QR Code symbol (versions 1 to 40, all four\n"
    "error-correction levels), shows it, saves it as BMP, PNG or SVG, copies and\n"
    "prints it, and says whether two common readers, zxing-cpp and zbar, will\n"
    "show what was typed.\n"
    "\n"
    "qrdesk-cli makes the same symbols for scripts and batches.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# qrdesk-cli draws SVG and reads no Qt; the window shows Chinese dialogs with Qt's own
# translations.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n")
include(CPack)
