# Packages made by CPack from the install rules:
#  - Linux: Debian packages psion-interface (the field program) and psion-setup-code
#    (the support tool), one per install component;
#  - Windows: an installer holding the field program alone, and a ZIP of each program.

set(CPACK_PACKAGE_NAME psion-interface)
set(CPACK_PACKAGE_VENDOR ${PSION_VENDOR})
set(CPACK_PACKAGE_CONTACT "${PSION_VENDOR} <support@kelvodata.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_COMPONENTS_ALL psion-interface psion-setup-code)
set(CPACK_STRIP_FILES ON)
# Settings that differ between the generators of one run.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/PackagingPerGenerator.cmake)

if(WIN32)
    set(CPACK_GENERATOR NSIS ZIP)

    # The ZIPs: one per program, each holding its .exe alone.
    set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
    set(CPACK_ARCHIVE_PSION-INTERFACE_FILE_NAME psion-interface-${PROJECT_VERSION}-win64)
    set(CPACK_ARCHIVE_PSION-SETUP-CODE_FILE_NAME psion-setup-code-${PROJECT_VERSION}-win64)

    # The installer: "Only for me" under %LOCALAPPDATA%\Programs, or "For all users" under
    # Program Files, each in "Kelvo Data Systems\Psion Interface". Its script is the
    # project's own cmake/NSIS.template.in, found through the module path.
    list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
    # It is a 64-bit installer, like the program, so it also runs under a 64-bit-only Wine.
    # CPack splits its makensis arguments at blanks, so the directive goes into the
    # script's header, where CPack puts its own !define lines.
    set(CPACK_NSIS_DEFINES "Target amd64-unicode")
    set(CPACK_PACKAGE_INSTALL_DIRECTORY "${PSION_VENDOR}\\\\Psion Interface")
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "Psion Interface")
    # Also the installer's title, the uninstall entry and the Start-menu shortcut.
    set(CPACK_NSIS_PACKAGE_NAME "Psion Interface")
    set(CPACK_NSIS_DISPLAY_NAME "Psion Interface")
    set(CPACK_NSIS_INSTALLED_ICON_NAME psion-interface.exe)
    set(CPACK_NSIS_MUI_ICON ${PSION_ICON_DIR}/${PSION_APP_ID}.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PSION_ICON_DIR}/${PSION_APP_ID}.ico)
    set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)

    # Authenticode signing with the vendor's certificate, when scripts/package-windows.sh
    # is given one: the programs once CPack has put them in place, before they are packed.
    set(CPACK_PSION_SIGN_SCRIPT ${PROJECT_SOURCE_DIR}/scripts/sign-windows.sh)
    set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/SignStagedPrograms.cmake)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_DEB_COMPONENT_INSTALL ON)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

    set(CPACK_DEBIAN_PSION-INTERFACE_PACKAGE_NAME psion-interface)
    set(CPACK_DEBIAN_PSION-INTERFACE_PACKAGE_SUGGESTS "xterm, wine")
    set(CPACK_DEBIAN_PSION-INTERFACE_DESCRIPTION
        "maintenance tool for a Psion hand-held reader on a serial port
Shows the reader type, destination and comm port of a Psion hand-held
reader, read from the unit's data folder; starts the unit's transfer
scripts to send data to it and to receive its readings; and, behind a
daily setup code from customer support, rewrites the unit's
configuration files. It never opens the serial port itself.")

    set(CPACK_DEBIAN_PSION-SETUP-CODE_PACKAGE_NAME psion-setup-code)
    set(CPACK_DEBIAN_PSION-SETUP-CODE_PACKAGE_SECTION misc)
    set(CPACK_DEBIAN_PSION-SETUP-CODE_DESCRIPTION
        "daily setup code for Psion Interface, for customer support
Prints the setup code that the Psion Interface program accepts on a
given day. For customer support staff only: it is not to be installed
beside the field program.")
endif()

include(CPack)

if(WIN32)
    # The MSI's description and its icon, for scripts/make-msi.sh.
    configure_file(${CMAKE_CURRENT_LIST_DIR}/psion-interface.wxs.in
        ${CMAKE_BINARY_DIR}/msi/psion-interface.wxs @ONLY)
    configure_file(${PSION_ICON_DIR}/${PSION_APP_ID}.ico ${CMAKE_BINARY_DIR}/msi/psion-interface.ico
        COPYONLY)
endif()
