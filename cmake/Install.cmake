# What `cmake --install` puts in place. The field program is the default component;
# the support tool is installed only when asked for by name:
#   cmake --install build --component psion-setup-code

if(WIN32)
    # One folder holds the program, as the installer lays it out under Program Files.
    set(psion_bindir .)
else()
    set(psion_bindir ${CMAKE_INSTALL_BINDIR})
endif()

install(TARGETS psion-interface RUNTIME DESTINATION ${psion_bindir} COMPONENT psion-interface)
install(TARGETS psion-setup-code RUNTIME DESTINATION ${psion_bindir}
    COMPONENT psion-setup-code EXCLUDE_FROM_ALL)

if(NOT WIN32)
    set(datadir ${CMAKE_INSTALL_DATADIR})
    install(FILES ${PSION_DESKTOP_FILE} DESTINATION ${datadir}/applications
        COMPONENT psion-interface)
    install(FILES ${PSION_METAINFO_FILE} DESTINATION ${datadir}/metainfo
        COMPONENT psion-interface)
    install(FILES ${PSION_ICON_SOURCE} DESTINATION ${datadir}/icons/hicolor/scalable/apps
        RENAME ${PSION_APP_ID}.svg COMPONENT psion-interface)
    foreach(size ${PSION_ICON_SIZES})
        install(FILES ${PSION_ICON_DIR}/${size}x${size}/${PSION_APP_ID}.png
            DESTINATION ${datadir}/icons/hicolor/${size}x${size}/apps COMPONENT psion-interface)
    endforeach()

    foreach(program psion-interface psion-setup-code)
        if(program STREQUAL "psion-interface")
            set(exclude)
        else()
            set(exclude EXCLUDE_FROM_ALL)
        endif()
        install(FILES ${PSION_DATA_BINARY_DIR}/man/${program}.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT ${program} ${exclude})
        install(FILES ${PSION_DATA_BINARY_DIR}/doc/${program}/changelog.gz
            ${PROJECT_SOURCE_DIR}/data/copyright
            DESTINATION ${datadir}/doc/${program} COMPONENT ${program} ${exclude})
    endforeach()
endif()
