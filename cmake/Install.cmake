# Installing as a Linux desktop program, and the Debian package made from that install.
# The installed program finds its data at <bindir>/../share/tavopiano, so the tree works
# under any prefix or DESTDIR as long as bin and share stay side by side.
include(GNUInstallDirs)

# The icon in every size a desktop asks for, drawn by the generator.
set(TAVO_ICON_DIR ${TAVO_GENERATED_DIR}/icons)
set(TAVO_ICON_SIZES 16 32 48 64 128 256)
set(TAVO_ICON_FILES)
foreach(s IN LISTS TAVO_ICON_SIZES)
  list(APPEND TAVO_ICON_FILES ${TAVO_ICON_DIR}/${s}x${s}/apps/tavopiano.png)
endforeach()
add_custom_command(
  OUTPUT ${TAVO_ICON_FILES}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:tavogen> --icons ${TAVO_ICON_DIR}
  DEPENDS tavogen
  COMMENT "Drawing the desktop icon"
  VERBATIM)
add_custom_target(tavo_icons ALL DEPENDS ${TAVO_ICON_FILES})

# The starter library is made afresh for installing: the one in the program folder holds
# whatever songs the developer has saved into it.
set(TAVO_STARTER_LIBRARY ${CMAKE_BINARY_DIR}/starter/Opern.dat)
add_custom_command(
  OUTPUT ${TAVO_STARTER_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${TAVO_STARTER_LIBRARY}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:tavo_mkdb> ${CMAKE_SOURCE_DIR}/assets/songs.txt ${TAVO_STARTER_LIBRARY}
  DEPENDS tavo_mkdb ${CMAKE_SOURCE_DIR}/assets/songs.txt
  COMMENT "Starter song library for installing"
  VERBATIM)
add_custom_target(tavo_starter_library ALL DEPENDS ${TAVO_STARTER_LIBRARY})

set(TAVO_DATA_DEST ${CMAKE_INSTALL_DATADIR}/tavopiano)
install(TARGETS tavopiano RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The sampled voice's and MIDI's modules, where the program looks for them: <bindir>/../lib/tavopiano.
install(TARGETS tavofluid tavomidi LIBRARY DESTINATION lib/tavopiano)
install(FILES ${TAVO_STARTER_LIBRARY} DESTINATION ${TAVO_DATA_DEST}/dat)
install(FILES ${TAVO_APPDIR}/template/ExpData.dat DESTINATION ${TAVO_DATA_DEST}/template OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/dist/tavopiano.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/dist/tavopiano.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(s IN LISTS TAVO_ICON_SIZES)
  install(FILES ${TAVO_ICON_DIR}/${s}x${s}/apps/tavopiano.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${s}x${s}/apps)
endforeach()

# Installs into a throw-away root and checks the tree and its desktop files.
add_test(NAME test_install_tree
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DROOT=${CMAKE_BINARY_DIR}/install-check
          -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/CheckInstall.cmake)

# cpack -G DEB in the build folder gives tavopiano_<version>-1_<arch>.deb.
set(CPACK_PACKAGE_NAME tavopiano)
set(CPACK_PACKAGE_VENDOR "Tavo Piano")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavo Piano <piano@tavopiano.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop piano with songs in numbered notation (Tavo电脑钢琴)")
set(CPACK_PACKAGE_DESCRIPTION
  "Tavo电脑钢琴 is a small desktop piano with a Chinese interface. Ten keys answer the mouse, the PC keyboard and MIDI keyboards. The standard voice plays synthesised piano-like samples; the sampled voice plays the acoustic grand of a General MIDI SoundFont through FluidSynth. Songs in numbered notation (jianpu) are kept in a library to read page by page while playing.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://tavopiano.example/)
# The Chinese captions need a CJK font, and Qt's own dialogs its translations; the xcb platform
# plugin ships in libqt6gui6 on Debian 12.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "libc6 (>= 2.34), libstdc++6 (>= 12), libqt6core6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6widgets6 (>= 6.4), libqt6network6 (>= 6.4), libqt6printsupport6 (>= 6.4), libsdl2-2.0-0 (>= 2.0.12), libsqlcipher0, libfluidsynth3, librtmidi6, libzip4, fonts-wqy-microhei, qt6-translations-l10n")
# The sampled piano voice needs a General MIDI SoundFont; without one the standard voice plays.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fluid-soundfont-gm")
include(CPack)
