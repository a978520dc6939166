# Installs the program as a desktop application and packs it as a Debian package.
# `cmake --install` puts the program in bin (src/ui), the help book in share/Veltrane (src/res/help)
# and, from here, the desktop entry, the AppStream metainfo, the icons and the licence.
# `cpack -G DEB` in a Release build makes veltrane_<version>_<arch>.deb.
include(GNUInstallDirs)

set(VELTRANE_APP_ID org.korvanel.Veltrane)
set(VELTRANE_PACKAGING_DIR ${CMAKE_CURRENT_LIST_DIR})

if(VELTRANE_BUILD_UI)
  install(FILES ${VELTRANE_PACKAGING_DIR}/${VELTRANE_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${VELTRANE_PACKAGING_DIR}/${VELTRANE_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  # The PNGs are rendered from the SVG by icons/render.sh and kept in the tree, so that building
  # needs no SVG renderer.
  foreach(size 16 32 48 64 128 256)
    install(FILES ${VELTRANE_PACKAGING_DIR}/icons/veltrane-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${VELTRANE_APP_ID}.png)
  endforeach()
  install(FILES ${VELTRANE_PACKAGING_DIR}/icons/${VELTRANE_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  # Debian looks for the licence of a package in /usr/share/doc/<package>/copyright.
  install(FILES ${CMAKE_SOURCE_DIR}/LICENSE
          DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/veltrane RENAME copyright)
endif()

if(VELTRANE_BUILD_TESTS)
  add_test(NAME PackagingMetadata.Validates
           COMMAND ${VELTRANE_PACKAGING_DIR}/check_metadata.sh
                   ${VELTRANE_PACKAGING_DIR}/${VELTRANE_APP_ID}.desktop
                   ${VELTRANE_PACKAGING_DIR}/${VELTRANE_APP_ID}.metainfo.xml)
  set_tests_properties(PackagingMetadata.Validates PROPERTIES
                       LABELS core SKIP_RETURN_CODE 77 TIMEOUT 60)
endif()

set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR Korvanel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Morse code copying trainer")
set(CPACK_PACKAGE_DESCRIPTION
    "Veltrane teaches you to copy Morse code by ear. It keys practice text into a\n\
sine tone, scores what you type against it character by character and shows\n\
which characters you still miss. Lessons follow the Koch method and Farnsworth\n\
timing. The interface is in Simplified Chinese.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.korvanel.org/veltrane/")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT Korvanel)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER Korvanel)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps fills in the libraries (wxWidgets, PortAudio, the C++ runtime); the Chinese
# interface also needs a CJK font, and the compressed recordings a libsndfile that encodes MP3
# (1.1 and later; the symbols alone would accept an older one).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-microhei, libsndfile1 (>= 1.1.0)")

include(CPack)
