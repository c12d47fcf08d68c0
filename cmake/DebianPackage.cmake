# The Debian package, blankwise_<version>_amd64.deb: the command-line tool as the native build
# installs it (CommandLine/CMakeLists.txt), under /usr, with its dependencies found by
# dpkg-shlibdeps. `cpack -G DEB --config <build>/CPackConfig.cmake`, or tools/package.sh, which
# builds it from a fresh tree and tests it (tools/package-test-deb.sh).
set(BLANKWISE_DEB_MAINTAINER "The Blankwise developers <blankwise@example.invalid>"
    CACHE STRING "The Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME blankwise)
set(CPACK_PACKAGE_VENDOR "The Blankwise developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BLANKWISE_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert spaces, full-width spaces and tabs in Japanese text")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[blankwise is a filter that converts between half-width spaces (U+0020),
full-width spaces (U+3000, the ideographic space) and tabs, with fifteen
conversions: tabs to spaces at tab stops and back, as expand and unexpand do,
full-width spaces to one or two half-width ones and back, runs of blanks to
one, and the deletion of each kind.
.
Display widths are those of code page 932 (two columns for a kanji or kana),
or by Unicode East Asian Width. It reads and writes UTF-8, UTF-16, Shift_JIS
(code page 932), EUC-JP and ISO-2022-JP, or guesses each file's encoding,
keeps line breaks and byte order marks, streams line by line, and can rewrite
files in place, list the files that would change or write a unified diff, for
use in pre-commit hooks. With --editorconfig it converts each file's
indentation as the project's .editorconfig files say.]])

# Debian's documentation rules, applied to the staged files: the manual page and the guide
# compressed, the licence as a machine-readable copyright file and a changelog.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/DebianStaging.cmake")
set(CPACK_BLANKWISE_BINDIR "${CMAKE_INSTALL_BINDIR}")
set(CPACK_BLANKWISE_DOCDIR "${CMAKE_INSTALL_DOCDIR}")
set(CPACK_BLANKWISE_MANDIR "${CMAKE_INSTALL_MANDIR}")
set(CPACK_BLANKWISE_FIRST_YEAR 2026)
set(CPACK_BLANKWISE_CHANGELOG_ENTRY "  * The command-line tool blankwise ${CPACK_PACKAGE_VERSION}.")
include(CPack)
