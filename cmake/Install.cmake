# Installation into a prefix (cmake --install build --prefix /usr/local, or ~/.local) and the
# Debian package (cpack -G DEB). The programs go to bin/, their own files to share/brindle/, where
# the programs find them from their own location; the desktop entry, icons, MIME package,
# AppStream metainfo and manual pages go where the desktop and man look for them. The database
# is never installed: each user's is made in their data folder on the first start.

set(BRINDLE_INSTALL_DATA_DIR ${CMAKE_INSTALL_DATADIR}/brindle)

install(TARGETS brindle-tool DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages, with the version filled in, compressed as Debian keeps them.
set(BRINDLE_MAN_PAGES brindle-tool)
if(BRINDLE_GUI)
  list(APPEND BRINDLE_MAN_PAGES brindle)
endif()
set(BRINDLE_VERSION ${PROJECT_VERSION})
set(BRINDLE_MAN_OUTPUTS)
foreach(page IN LISTS BRINDLE_MAN_PAGES)
  configure_file(res/man/${page}.1 ${PROJECT_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/man/${page}.1.gz
    COMMAND gzip -9nf -k ${page}.1
    WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/man
    DEPENDS ${PROJECT_BINARY_DIR}/man/${page}.1 VERBATIM)
  list(APPEND BRINDLE_MAN_OUTPUTS ${PROJECT_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(brindle_man_pages ALL DEPENDS ${BRINDLE_MAN_OUTPUTS})
install(FILES ${BRINDLE_MAN_OUTPUTS} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

if(BRINDLE_GUI)
  install(TARGETS brindle DESTINATION ${CMAKE_INSTALL_BINDIR})
  file(GLOB BRINDLE_BACKGROUNDS CONFIGURE_DEPENDS res/*.bmp)
  install(FILES ${BRINDLE_BACKGROUNDS} DESTINATION ${BRINDLE_INSTALL_DATA_DIR})
  install(DIRECTORY res/icons DESTINATION ${BRINDLE_INSTALL_DATA_DIR})
  # The user guide, which Help opens in the desktop's viewer.
  install(DIRECTORY doc/ DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle)
  install(FILES COPYING DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/brindle)
  foreach(size 16 32 48 128)
    install(FILES res/icons/app-${size}.png
      DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME brindle.png)
  endforeach()
  install(FILES res/brindle-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME brindle.xml)
  install(FILES res/org.brindle.Brindle.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  # The desktop entry names the installed program by its full path, which is known only when
  # installing: cmake --install may be given another prefix than the configured one.
  install(CODE "
    set(bin \"${CMAKE_INSTALL_BINDIR}\")
    if(NOT IS_ABSOLUTE \"\${bin}\")
      set(bin \"\${CMAKE_INSTALL_PREFIX}/\${bin}\")
    endif()
    set(BRINDLE_EXEC \"\${bin}/brindle\")
    set(dest \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")
    message(STATUS \"Installing: \${dest}/brindle.desktop\")
    configure_file(\"${PROJECT_SOURCE_DIR}/res/brindle.desktop.in\" \"\${dest}/brindle.desktop\"
                   @ONLY)
  ")

  # Into a prefix on this machine (not into a package's staging folder), bring the desktop's
  # caches up to date, as the package manager's triggers do for the .deb.
  install(CODE "
    if(\"\$ENV{DESTDIR}\" STREQUAL \"\")
      set(share \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}\")
      find_program(update_mime update-mime-database)
      find_program(update_desktop update-desktop-database)
      find_program(update_icons gtk-update-icon-cache)
      if(update_mime)
        execute_process(COMMAND \"\${update_mime}\" \"\${share}/mime\" OUTPUT_QUIET ERROR_QUIET)
      endif()
      if(update_desktop)
        execute_process(COMMAND \"\${update_desktop}\" \"\${share}/applications\"
                        OUTPUT_QUIET ERROR_QUIET)
      endif()
      if(update_icons AND EXISTS \"\${share}/icons/hicolor/index.theme\")
        execute_process(COMMAND \"\${update_icons}\" -q -t \"\${share}/icons/hicolor\"
                        OUTPUT_QUIET ERROR_QUIET)
      endif()
    endif()
  ")
endif()

# The Debian package: cpack -G DEB in the build folder. Its dependencies are worked out by
# dpkg-shlibdeps from the libraries the programs use.
set(CPACK_PACKAGE_NAME brindle)
set(CPACK_PACKAGE_VENDOR "Brindle")
set(CPACK_PACKAGE_CONTACT "Brindle developers <brindle@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SNES ROM and patch manager for emulators")
set(CPACK_PACKAGE_DESCRIPTION "Brindle keeps a collection of SNES ROM images and game patches
(translations and hacks) and plays a patch through an emulator without ever
keeping a patched copy of a ROM.")
# Installed into a staging folder (DESTDIR) with the package's own prefix, so that the desktop
# entry names /usr/bin/brindle whatever prefix the build folder was configured with.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "zsnes")
include(CPack)
