# Installation (programs, desktop entry, icons) and the Debian package that
# `make package` builds from the release tree.
if(NOT ZINTAVO_WITH_QT OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

include(GNUInstallDirs)

foreach(program zintavo zintavo-log zintavo-sim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

install(FILES ${PROJECT_SOURCE_DIR}/res/zintavo.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/icon_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME zintavo.png)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zintavo)
set(CPACK_PACKAGE_VENDOR Vorrelind)
set(CPACK_PACKAGE_CONTACT "Zintavo maintainers <zintavo@vorrelind.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop companion for a serial digital multimeter")
set(CPACK_PACKAGE_DESCRIPTION "\
Finds the meter's serial port, decodes its display frames and shows each \
reading as a redrawn LCD meter face, a history chart and a list of logged \
readings with editable tags, kept in plain-text log files. Comes with \
zintavo-sim, a meter simulator, and zintavo-log, a headless logger.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The libraries come from the programs themselves; the face's font is only looked up by name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
include(CPack)
