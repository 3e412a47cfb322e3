# Installation (included by the top level once every program target exists): the programs together in one program folder (the updater and its "Tmp" staging
# folder live beside the tray program), links to the two hosts on the PATH, and a desktop entry
# with the tray icon so that a desktop menu finds the program.
include(GNUInstallDirs)
set(PELLMAR_PROGRAM_DIR ${CMAKE_INSTALL_LIBDIR}/pellmar)
set(PELLMAR_INSTALLED_PROGRAM ${CMAKE_INSTALL_FULL_LIBDIR}/pellmar/Pellmar)
install(TARGETS Pellmar pellmard pellmarctl qmUpdate qmRemove RUNTIME DESTINATION ${PELLMAR_PROGRAM_DIR})
foreach(program Pellmar pellmard pellmarctl)
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}\")
    file(CREATE_LINK \"${CMAKE_INSTALL_FULL_LIBDIR}/pellmar/${program}\"
                     \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/${program}\" SYMBOLIC)")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/pellmar.desktop.in ${CMAKE_BINARY_DIR}/pellmar.desktop @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/pellmar.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/tray/ui/images/ZMAINFORM_TRAYICONMAIN.xpm
        DESTINATION ${CMAKE_INSTALL_DATADIR}/pixmaps RENAME pellmar.xpm)
# The systemd user unit of the headless host.
set(PELLMAR_INSTALLED_PELLMARD ${CMAKE_INSTALL_FULL_LIBDIR}/pellmar/pellmard)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pellmard.service.in ${CMAKE_BINARY_DIR}/pellmard.service @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/pellmard.service DESTINATION ${CMAKE_INSTALL_PREFIX}/lib/systemd/user)
