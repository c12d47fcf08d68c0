# Run by CPack on the files it staged for the Debian package, before it packs them: what Debian's
# policy asks of a package's documentation. The manual page and the guide are compressed (gzip -9n:
# no name or time in the header, so that the same files give the same package), the licence becomes
# usr/share/doc/blankwise/copyright in Debian's machine-readable format, and a changelog names the
# version. The times are those of SOURCE_DATE_EPOCH where it is set.
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/${CPACK_BLANKWISE_DOCDIR}")

file(READ "${doc}/LICENSE" licence)
file(REMOVE "${doc}/LICENSE")
# The holder from the licence's copyright line, and its terms after it, each line indented by one
# space, blank lines as " .".
string(REGEX MATCH "\nCopyright \\(c\\) ([^\n]*)\n(.*)" found "${licence}")
set(holder "${CMAKE_MATCH_1}")
string(STRIP "${CMAKE_MATCH_2}" terms)
string(REPLACE "\n\n" "\n.\n" terms "${terms}")
string(REPLACE "\n" "\n " terms "${terms}")
string(TIMESTAMP year "%Y" UTC)
set(years "${CPACK_BLANKWISE_FIRST_YEAR}")
if(year GREATER CPACK_BLANKWISE_FIRST_YEAR)
    string(APPEND years "-${year}")
endif()
file(WRITE "${doc}/copyright" "\
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Blankwise

Files: *
Copyright: ${years} ${holder}
License: Expat
 ${terms}
")

string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE "${doc}/changelog" "\
${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) unstable; urgency=medium

${CPACK_BLANKWISE_CHANGELOG_ENTRY}

 -- ${CPACK_DEBIAN_PACKAGE_MAINTAINER}  ${date}
")

# What dh_strip removes beside the symbols: the compiler's version notes.
execute_process(COMMAND objcopy --remove-section=.comment "${root}/${CPACK_BLANKWISE_BINDIR}/blankwise"
                COMMAND_ERROR_IS_FATAL ANY)
foreach(file "${doc}/changelog" "${doc}/README.md" "${root}/${CPACK_BLANKWISE_MANDIR}/man1/blankwise.1")
    execute_process(COMMAND gzip -9n "${file}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
