# Installation (included by the top level once every program target exists): the programs together
# in one program folder (the updater and its "Tmp" staging folder live beside the tray program),
# links to the two hosts and the command line on the PATH, a desktop entry with the tray icon so
# that a desktop menu finds the program, and the systemd user unit of the headless host.
include(GNUInstallDirs)
# Not the multiarch library folder GNUInstallDirs picks for /usr on Debian: these are programs.
set(PELLMAR_PROGRAM_DIR lib/pellmar)
install(TARGETS Pellmar pellmard pellmarctl qmUpdate qmRemove RUNTIME DESTINATION ${PELLMAR_PROGRAM_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/tray/ui/images/ZMAINFORM_TRAYICONMAIN.xpm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps RENAME pellmar.xpm)
# The links, the desktop entry and the unit name the programs under the prefix given when
# installing (cmake --install --prefix), so that a package can be staged from any build tree.
set(PELLMAR_APP_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/InstallEntries.cmake.in ${CMAKE_BINARY_DIR}/InstallEntries.cmake @ONLY)
install(SCRIPT ${CMAKE_BINARY_DIR}/InstallEntries.cmake)
