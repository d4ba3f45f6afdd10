# What `cmake --install` puts under the prefix: the three programs, the demo installation, the
# desktop entry with its icon, file types and software-centre description, the manual pages
# and the bash completion. The help pages are compiled into kelvaro, so nothing the programs
# need at run time is left in the source tree.
include(GNUInstallDirs)

set(KELVARO_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(KELVARO_GENERATED_DIR ${PROJECT_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${KELVARO_GENERATED_DIR})

install(TARGETS kelvaro-cli kelvaro-sim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET kelvaro)
  install(TARGETS kelvaro RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# The demo as the README runs it; its generator script stays with the sources.
set(KELVARO_DEMO_DIR ${CMAKE_INSTALL_DATADIR}/kelvaro/examples/demo)
install(FILES ${PROJECT_SOURCE_DIR}/examples/demo/DEMO.SPG ${PROJECT_SOURCE_DIR}/examples/demo/INIT.SPI
              ${PROJECT_SOURCE_DIR}/examples/demo/DEMO.scenario
        DESTINATION ${KELVARO_DEMO_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/demo/BMP DESTINATION ${KELVARO_DEMO_DIR})

# Desktop integration.
install(FILES ${KELVARO_PACKAGING_DIR}/kelvaro.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KELVARO_PACKAGING_DIR}/kelvaro-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME kelvaro.xml)
configure_file(${KELVARO_PACKAGING_DIR}/org.kelvaro.kelvaro.metainfo.xml
               ${KELVARO_GENERATED_DIR}/org.kelvaro.kelvaro.metainfo.xml @ONLY)
install(FILES ${KELVARO_GENERATED_DIR}/org.kelvaro.kelvaro.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${KELVARO_PACKAGING_DIR}/icons/kelvaro.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 32 48 64 128 256)
  install(FILES ${KELVARO_PACKAGING_DIR}/icons/kelvaro-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME kelvaro.png)
endforeach()

# Manual pages and the completion, written after the programs are built: the command and
# option lists come from the programs themselves.
set(KELVARO_MAN_SCRIPT ${PROJECT_SOURCE_DIR}/cmake/KelvaroManPage.cmake)
set(KELVARO_MAN_PAGES)
function(kelvaro_man_page name)
  set(output ${KELVARO_GENERATED_DIR}/${name}.1.gz)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DTEMPLATE=${KELVARO_PACKAGING_DIR}/man/${name}.1.in -DOUTPUT=${output}
            -DVERSION=${PROJECT_VERSION} ${ARGN} -P ${KELVARO_MAN_SCRIPT}
    DEPENDS ${KELVARO_PACKAGING_DIR}/man/${name}.1.in ${KELVARO_MAN_SCRIPT} kelvaro-cli kelvaro-sim
    COMMENT "Manual page ${name}(1)"
    VERBATIM)
  set(KELVARO_MAN_PAGES ${KELVARO_MAN_PAGES} ${output} PARENT_SCOPE)
endfunction()
kelvaro_man_page(kelvaro)
kelvaro_man_page(kelvaro-cli -DCOMMANDS_FROM=$<TARGET_FILE:kelvaro-cli>)
kelvaro_man_page(kelvaro-sim -DOPTIONS_FROM=$<TARGET_FILE:kelvaro-sim>)

set(KELVARO_COMPLETION ${KELVARO_GENERATED_DIR}/kelvaro-cli.bash)
add_custom_command(
  OUTPUT ${KELVARO_COMPLETION}
  COMMAND kelvaro-cli help-export bash > ${KELVARO_COMPLETION}
  DEPENDS kelvaro-cli
  COMMENT "Bash completion of kelvaro-cli")
add_custom_target(kelvaro_manuals ALL DEPENDS ${KELVARO_MAN_PAGES} ${KELVARO_COMPLETION})

install(FILES ${KELVARO_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${KELVARO_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME kelvaro-cli)
