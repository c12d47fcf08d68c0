# The release package, Blankwise-<version>-win32.zip from the i686 build and -win64.zip from the
# x86_64 build: Blankwise.dll, the command-line tool blankwise.exe (of the same bitness, with the
# same static runtime), the user guide (README.md with its pictures), the licence and SHA256SUMS,
# the checksums of those files in sha256sum's format. `cpack --config <build>/CPackConfig.cmake`,
# or tools/package.sh for both.
install(FILES $<TARGET_FILE:Blankwise> $<TARGET_FILE:BlankwiseCli> README.md LICENSE DESTINATION .)
install(DIRECTORY docs/images DESTINATION docs)
install(CODE [[
    set(listed "")
    foreach(name Blankwise.dll blankwise.exe README.md LICENSE)
        file(SHA256 "${CMAKE_INSTALL_PREFIX}/${name}" sum)
        string(APPEND listed "${sum}  ${name}\n")
    endforeach()
    file(GLOB images RELATIVE "${CMAKE_INSTALL_PREFIX}" "${CMAKE_INSTALL_PREFIX}/docs/images/*.png")
    list(SORT images)
    foreach(name IN LISTS images)
        file(SHA256 "${CMAKE_INSTALL_PREFIX}/${name}" sum)
        string(APPEND listed "${sum}  ${name}\n")
    endforeach()
    file(WRITE "${CMAKE_INSTALL_PREFIX}/SHA256SUMS" "${listed}")
]])

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(CPACK_SYSTEM_NAME win64)
else()
    set(CPACK_SYSTEM_NAME win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Blankwise)
set(CPACK_PACKAGE_VENDOR "The Blankwise developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
set(CPACK_PACKAGE_FILE_NAME "Blankwise-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
include(CPack)

# The package unpacked, its DLL loaded under Wine by the host program of the same bitness and its
# blankwise.exe run there.
add_test(NAME ReleasePackage COMMAND bash ${PROJECT_SOURCE_DIR}/tools/package-test.sh ${PROJECT_BINARY_DIR})
set_tests_properties(ReleasePackage PROPERTIES TIMEOUT 300)
