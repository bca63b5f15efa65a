# `cmake --install <build> --prefix <prefix>` (or `make install PREFIX=...`): the program with its script worker and
# clipboard keeper beside it, its desktop entry (with the two actions) and its icon. The desktop entry names the program by its
# installed path, so it is written when installing, for the prefix of that install.
include(GNUInstallDirs)

if(TARGET quillet)
  install(TARGETS quillet quillet-script-worker quillet-clipboard-keeper RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(CODE "
    set(bindir \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    set(QUILLET_APP_ID \"${QUILLET_APP_ID}\")
    configure_file(\"${CMAKE_SOURCE_DIR}/data/${QUILLET_APP_ID}.desktop.in\"
                   \"${CMAKE_BINARY_DIR}/install/${QUILLET_APP_ID}.desktop\" @ONLY)
  ")
  install(FILES ${CMAKE_BINARY_DIR}/install/${QUILLET_APP_ID}.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/${QUILLET_APP_ID}.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
