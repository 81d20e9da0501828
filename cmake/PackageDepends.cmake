# Read by cpack: the Debian package's library dependencies, found by dpkg-shlibdeps from the
# built programs. (CPack's own search would also call ldconfig from maintainer scripts, for a
# module that lives in the program's own folder and needs no library cache.)
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

find_program(VEMORA_SHLIBDEPS dpkg-shlibdeps)
if(NOT VEMORA_SHLIBDEPS)
    message(FATAL_ERROR "dpkg-shlibdeps (paquet dpkg-dev) est nécessaire pour faire le paquet")
endif()
file(STRINGS "${CPACK_VEMORA_BINARIES_FILE}" binaries)
# dpkg-shlibdeps wants to be run from a source package's folder.
set(work "${CPACK_VEMORA_WORK_DIR}")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}/debian")
file(WRITE "${work}/debian/control" "")
execute_process(COMMAND ${VEMORA_SHLIBDEPS} -O ${binaries}
    WORKING_DIRECTORY "${work}"
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0 OR NOT output MATCHES "^shlibs:Depends=(.+)$")
    message(FATAL_ERROR "dpkg-shlibdeps a échoué (${status}) : ${errors}")
endif()
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
