# Run by CPack (CPACK_PRE_BUILD_SCRIPTS) once it has put the files of a package in place
# and stripped them, before it packs them: signs each .exe there with the vendor's
# certificate when scripts/package-windows.sh was given one.
if(NOT "$ENV{PSION_SIGN_PKCS12}" STREQUAL "")
    file(GLOB_RECURSE programs "${CPACK_TEMPORARY_DIRECTORY}/*.exe")
    if(NOT programs)
        message(FATAL_ERROR "No program to sign in ${CPACK_TEMPORARY_DIRECTORY}")
    endif()
    execute_process(COMMAND "${CPACK_PSION_SIGN_SCRIPT}" ${programs} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Signing the programs failed")
    endif()
endif()
