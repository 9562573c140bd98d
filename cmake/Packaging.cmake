# Install rules and the Debian package. Included from the root CMakeLists.txt
# after src/, so the program targets exist.
#   cmake --install build/release --prefix ~/.local
#   (cd build/release && cpack -G DEB)
# Building for Windows, the Windows packages instead.
if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackaging.cmake)
    return()
endif()
include(GNUInstallDirs)

set(SCP_APP_ID org.example.scpmaker)
set(SCP_HOMEPAGE https://scpmaker.example.org/)
set(scp_pack ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS scpmaker-compile RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set(scp_man_pages scpmaker-compile.1)

if(SCP_BUILD_GUI)
    install(TARGETS scpmaker RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    list(APPEND scp_man_pages scpmaker.1)
    install(FILES ${scp_pack}/scpmaker.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${scp_pack}/${SCP_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size 16 32 48 64 128 256)
        install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/scpmaker-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME scpmaker.png)
    endforeach()
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/scpmaker.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()

# Man pages and the changelog go in gzipped, as Debian keeps them (-n: no
# name or time stamp, so the bytes do not change from build to build).
find_program(SCP_GZIP gzip REQUIRED)
set(scp_gz_files)
function(scp_install_gzipped file destination)
    get_filename_component(name ${file} NAME)
    set(gz ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
        COMMAND ${SCP_GZIP} -9nc ${file} > ${gz}
        DEPENDS ${file} VERBATIM)
    install(FILES ${gz} DESTINATION ${destination})
    set(scp_gz_files ${scp_gz_files} ${gz} PARENT_SCOPE)
endfunction()
foreach(page IN LISTS scp_man_pages)
    scp_install_gzipped(${scp_pack}/${page} ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
scp_install_gzipped(${scp_pack}/changelog ${CMAKE_INSTALL_DOCDIR})
add_custom_target(scp_gzipped ALL DEPENDS ${scp_gz_files})

# What lintian reports of the package that does not apply to it, and why.
install(FILES ${scp_pack}/scpmaker.lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME scpmaker)

# Debian wants the licence as doc/<package>/copyright.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
    DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME scpmaker)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The scpmaker developers")
set(CPACK_PACKAGE_CONTACT "The scpmaker developers <scpmaker@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "editor for mantle.scp gump, tile and item lists")
set(CPACK_PACKAGE_HOMEPAGE_URL ${SCP_HOMEPAGE})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line; this is the long description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "scpmaker edits the three lists of a mantle.scp script (gump pictures,
tile pictures, item definitions), keeps them as section files and
assembles the whole script byte for byte: Windows-1252 text, CR LF line
ends, tabs where the patching tool expects them.
.
scpmaker-compile builds the script from the section files without a
display.")
# dpkg-shlibdeps names the libraries' packages; the editor also needs Qt's
# platform plugins, which libqt6gui6 only recommends.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(SCP_BUILD_GUI)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
endif()

include(CPack)
