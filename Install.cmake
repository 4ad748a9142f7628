# Where `cmake --install` (and the Debian package) puts Kavinel:
#   bin/kavinel                        link to the launcher, for starting it in any folder
#   lib/kavinel/Kavinel, dat/          the program and the sound library it binds ($ORIGIN/dat)
#   lib/kavinel/kavinel-launcher       the menu entry's command, and the terminal's by that link
#   lib/kavinel/kavinel-thumbnailer    draws a doll file's thumbnail for file managers
#   share/applications, share/icons    the menu entry and its icon, named after the application ID
#   share/dbus-1/services              how the session bus starts it, by the same ID
#   share/metainfo                     what software centres show of it (AppStream)
#   share/mime/packages/kavinel.xml    the doll file's type, by its suffix and by its content
#   share/thumbnailers                 how file managers run the thumbnailer
#   share/kavinel/samples              the sample doll the launcher copies into ~/Kavinel
#   share/doc/kavinel/copyright        the terms, in Debian's machine-readable format
#   share/man/man1, share/man/ja/man1 the manual page kavinel(1), in English and in Japanese
include(GNUInstallDirs)
set(KAVINEL_PROGRAM_DIR lib/kavinel)
set(KAVINEL_SAMPLE_DIR ${CMAKE_INSTALL_DATADIR}/kavinel/samples)

# The launcher finds the program beside itself and the samples by this relative path, so an
# installed tree can be moved as a whole.
file(RELATIVE_PATH samples_from_launcher /${KAVINEL_PROGRAM_DIR} /${KAVINEL_SAMPLE_DIR})
target_compile_definitions(kavinel-launcher
  PRIVATE KAVINEL_SAMPLES_FROM_LAUNCHER="${samples_from_launcher}")
target_compile_definitions(kavinel_scene
  PRIVATE KAVINEL_SAMPLES_FROM_PROGRAM="${samples_from_launcher}")

install(TARGETS Kavinel kavinel-launcher kavinel-thumbnailer
        RUNTIME DESTINATION ${KAVINEL_PROGRAM_DIR})
install(TARGETS GuruGuruSMF LIBRARY DESTINATION ${KAVINEL_PROGRAM_DIR}/dat)

# Started by this name, the launcher stays in a folder that holds a doll and goes to
# ~/Kavinel from any other. The link is made only where it is installed (under DESTDIR for
# the package): in the build folder it would point at nothing.
file(RELATIVE_PATH launcher_from_bin /${CMAKE_INSTALL_BINDIR}
     /${KAVINEL_PROGRAM_DIR}/kavinel-launcher)
install(CODE "
  set(kavinel_link \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kavinel\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${kavinel_link}\")
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK ${launcher_from_bin} \"\$ENV{DESTDIR}\${kavinel_link}\" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${kavinel_link}\")
")

# The icon theme's sizes, each under the application ID.
file(GLOB icon_sizes RELATIVE ${PROJECT_SOURCE_DIR}/resources/icons/hicolor
     ${PROJECT_SOURCE_DIR}/resources/icons/hicolor/*)
foreach(size IN LISTS icon_sizes)
  install(FILES resources/icons/hicolor/${size}/apps/kavinel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps
          RENAME ${KAVINEL_APP_ID}.png)
endforeach()
# The manual page, kavinel(1), in English and in Japanese.
install(FILES resources/man/kavinel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES resources/man/kavinel.ja.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/ja/man1
        RENAME kavinel.1)
# The terms, file by file, in Debian's machine-readable format.
install(FILES resources/COPYING.debian DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kavinel RENAME copyright)
install(DIRECTORY samples/ DESTINATION ${KAVINEL_SAMPLE_DIR} FILES_MATCHING PATTERN "*.bmp")

# The doll file's type. The system's database is rebuilt from it by the package manager's
# trigger; for a prefix of one's own, by update-mime-database on <prefix>/share/mime.
install(FILES resources/kavinel-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME kavinel.xml)
# Software centres find Kavinel by this file, named after its id; it names no path, so it is
# filled in when configuring.
configure_file(resources/kavinel.metainfo.xml.in ${KAVINEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${KAVINEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The menu entry, the bus's service file and the thumbnailer's entry name their programs by full
# path, known only when installing: the prefix may still be changed by `cmake --install --prefix`.
install(CODE "
  set(KAVINEL_APP_ID ${KAVINEL_APP_ID})
  set(KAVINEL_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${KAVINEL_PROGRAM_DIR}/kavinel-launcher\")
  set(KAVINEL_THUMBNAILER \"\${CMAKE_INSTALL_PREFIX}/${KAVINEL_PROGRAM_DIR}/kavinel-thumbnailer\")
  configure_file(\"${PROJECT_SOURCE_DIR}/resources/kavinel.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/${KAVINEL_APP_ID}.desktop\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/${KAVINEL_APP_ID}.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
  configure_file(\"${PROJECT_SOURCE_DIR}/resources/kavinel.service.in\"
                 \"${CMAKE_BINARY_DIR}/${KAVINEL_APP_ID}.service\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/${KAVINEL_APP_ID}.service\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/dbus-1/services\")
  configure_file(\"${PROJECT_SOURCE_DIR}/resources/kavinel.thumbnailer.in\"
                 \"${CMAKE_BINARY_DIR}/kavinel.thumbnailer\" @ONLY)
  file(INSTALL \"${CMAKE_BINARY_DIR}/kavinel.thumbnailer\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/thumbnailers\")
")

# `make package`: a Debian package installed under /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kavinel)
set(CPACK_PACKAGE_VENDOR "Kavinel")
set(CPACK_PACKAGE_CONTACT "Kavinel developers <kavinel@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "nesting doll that turns, shades and opens")
set(CPACK_PACKAGE_DESCRIPTION
  "Kavinel (カヴィネル) is a small desktop toy: a nesting doll that turns in two views,
front and back, over fading green streaks. It can be stopped or turned either way,
shaded in six steps, saved as numbered BMP sheets and opened to reveal a smaller doll
inside, again and again. Started from the menu it works in ~/Kavinel, where it puts a
sample doll that can be replaced by your own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# dpkg-shlibdeps adds the libraries the programs link, giflib (libgif7), libimagequant
# (libimagequant0) and libzip (libzip4) among them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/dat)
# Qt loads its window-system plugin and the readers of dropped pictures (WebP, TIFF) at run
# time, the window's font is IPA P Gothic, and Qt's own texts (its dialogs' buttons) come in
# Japanese from its translations: none shows up among the libraries the program links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-image-formats-plugins, fonts-ipafont-gothic, qt6-translations-l10n")
# On a Wayland desktop Qt draws natively through its Wayland plugin; without it the program
# still runs through XWayland.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland")
include(CPack)
