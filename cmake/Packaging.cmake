# The Debian package: `cpack -G DEB` in the build folder makes
# boardquill_<version>_<arch>.deb, installed with
# `apt-get install ./boardquill_*.deb`.
set(CPACK_PACKAGE_NAME boardquill)
set(CPACK_PACKAGE_VENDOR "Boardquill")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn EPD chess positions into chess diagrams (RTF, PDF, SVG, PNG)")
set(CPACK_PACKAGE_DESCRIPTION
    "Boardquill turns chess positions written as EPD text into chess diagrams for\n"
    "documents: every line becomes a diagram drawn in a chess diagram font, with\n"
    "the chosen EPD operations above it, in one RTF document that is previewed\n"
    "and copied to the clipboard as rich text. The boardquill command checks and\n"
    "converts EPD files in batch.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "Boardquill developers <developers@boardquill.invalid>")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Library dependencies (Qt 6, fontconfig, Cairo and Pango, the C++ runtime)
# come from the program itself through dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the program needs but does not link: Qt's platform plugins to open a
# window, and fontconfig's configuration to find fonts.
if(BOARDQUILL_GUI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fontconfig")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fontconfig")
endif()

set(CPACK_GENERATOR DEB)
include(CPack)
