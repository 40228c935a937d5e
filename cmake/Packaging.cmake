# The Debian package: everything the install rules place under /usr, built by
# `cpack -G DEB` in a build folder (scripts/package does both steps).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamr)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "tamr developers")
set(CPACK_PACKAGE_CONTACT "tamr developers <maintainers@users.noreply.c-seed-356dc9cc.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[image-compression workbench with a wavelet codec
tamr opens BMP, TGA, GIF, JPEG and its own COD pictures, compresses them with
its wavelet codec and shows the decoded result at once with the figures of
the compression: sizes, compression ratio, times, PSNR, mean squared error
and the largest pixel difference. It also enhances pictures with sixteen
filters and sharpening, prints them, and saves them as COD or BMP files.
.
The package holds the Qt desktop program tamr and the command-line tool
tamr-cli for scripts and batch work, with their manual pages.]=])
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Their triggers bring the MIME and desktop databases up to date when the
# package's files come and go; the package itself needs no maintainer scripts.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
