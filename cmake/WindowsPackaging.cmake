# Install rules and the two Windows packages, included by Packaging.cmake
# when building for Windows:
#   scpmaker-VERSION-win64.zip        portable: unpack anywhere and run; its
#                                     scpmaker.ini keeps settings and journals
#                                     in its own folder
#   scpmaker-VERSION-win64-setup.exe  installer (NSIS; /S, /D=, per user or all)
# Both hold the same files, at the top of the install folder: the two
# programs, the Qt libraries and plugins the editor uses, the compiler's
# runtime (cmake/WindowsRuntime.cmake) and LICENSE; the zip also the
# portable marker (packaging/windows/portable_marker.cmake).
install(TARGETS scpmaker-compile RUNTIME DESTINATION .)
if(SCP_BUILD_GUI)
    install(TARGETS scpmaker RUNTIME DESTINATION .)
endif()
foreach(file IN LISTS SCP_WINDOWS_SHIPPED)
    get_filename_component(folder ${file} DIRECTORY)
    if(NOT folder)
        set(folder .)
    endif()
    install(FILES ${PROJECT_BINARY_DIR}/bin/${file} DESTINATION ${folder})
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP NSIS64)
set(CPACK_PACKAGE_NAME scpmaker)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The scpmaker developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "editor for mantle.scp gump, tile and item lists")
set(CPACK_PACKAGE_FILE_NAME scpmaker-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY scpmaker)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON) # the programs; the libraries are stripped already
set(CPACK_SCP_ICON ${PROJECT_SOURCE_DIR}/resources/icons/scpmaker.ico)
# The installer's script is our own (packaging/windows/NSIS.template.in),
# and its name says what it is.
list(PREPEND CMAKE_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/windows/cpack_names.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/windows/portable_marker.cmake)

include(CPack)
