# Read by CPack once per generator (CPACK_PROJECT_CONFIG_FILE).
if(CPACK_GENERATOR STREQUAL "NSIS")
    # The field installer holds what a plain `cmake --install` installs: the field
    # program, never the support tool, which is installed only on request by name.
    set(CPACK_MONOLITHIC_INSTALL ON)
elseif(CPACK_GENERATOR STREQUAL "DEB")
    # Each package's description begins with its own synopsis; CPack would put the
    # project's summary before it unless the summary is its default.
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CPACK_DEFAULT_PACKAGE_DESCRIPTION_SUMMARY}")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
    # Each ZIP holds its program's .exe at the top, without a folder around it.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
endif()

if(CPACK_GENERATOR STREQUAL "NSIS" AND NOT "$ENV{PSION_SIGN_PKCS12}" STREQUAL "")
    # makensis signs the uninstaller before it packs it into the installer, and then the
    # installer itself.
    set(sign "'\"${CPACK_PSION_SIGN_SCRIPT}\" \"%1\"' = 0")
    set(CPACK_NSIS_PSION_SIGNING "!uninstfinalize ${sign}\n!finalize ${sign}")
endif()
