# The Debian package: `cpack -G DEB` in the build directory.
set(CPACK_PACKAGE_NAME survey)
set(CPACK_PACKAGE_VENDOR "The survey developers")
set(CPACK_PACKAGE_CONTACT "The survey developers <survey@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "interactive console questionnaire for community and environment data")
set(CPACK_PACKAGE_DESCRIPTION
    "survey asks 23 questions at the console, shows the answers back with a few figures\n\
computed from the two numeric answers, and appends each questionnaire as a readable\n\
record to datas.dat in the working directory. It can list that file and shows two\n\
guide screens. survey-export writes the stored records as CSV or JSON Lines.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library dependencies are worked out by dpkg-shlibdeps (package dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

include(CPack)
