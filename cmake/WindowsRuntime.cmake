# What the Windows programs need beside them: Qt's libraries, the plugins
# the editor loads, and the compiler's runtime. Copied stripped into bin/ of
# the build, where the programs and the tests (under Wine) run with them,
# and packaged from there. SCP_WINDOWS_SHIPPED lists what the packages hold,
# as paths under bin/; the rest is for the tests.
get_filename_component(scp_qt_prefix "${Qt6_DIR}/../../.." ABSOLUTE)
set(scp_bin ${PROJECT_BINARY_DIR}/bin)
set(SCP_WINDOWS_SHIPPED)
set(scp_runtime_outputs)

# A library of the compiler's, as the compiler itself finds it.
function(scp_compiler_file name out)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name}
        OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(found "${found}" ABSOLUTE)
    if(NOT EXISTS "${found}")
        message(FATAL_ERROR "${name} not found by ${CMAKE_CXX_COMPILER}")
    endif()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# scp_runtime_file(SOURCE DESTINATION [SHIPPED])
function(scp_runtime_file source destination)
    if(NOT EXISTS "${source}")
        message(FATAL_ERROR "${source} is missing")
    endif()
    get_filename_component(folder ${scp_bin}/${destination} DIRECTORY)
    add_custom_command(OUTPUT ${scp_bin}/${destination}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${scp_bin}/${destination} ${source}
        DEPENDS ${source} VERBATIM)
    set(scp_runtime_outputs ${scp_runtime_outputs} ${scp_bin}/${destination} PARENT_SCOPE)
    if(ARGN STREQUAL "SHIPPED")
        set(SCP_WINDOWS_SHIPPED ${SCP_WINDOWS_SHIPPED} ${destination} PARENT_SCOPE)
    endif()
endfunction()

foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    scp_compiler_file(${name} found)
    scp_runtime_file(${found} ${name} SHIPPED)
endforeach()
scp_runtime_file(${scp_qt_prefix}/bin/Qt6Core.dll Qt6Core.dll SHIPPED)
if(SCP_BUILD_GUI)
    foreach(module Gui Widgets)
        scp_runtime_file(${scp_qt_prefix}/bin/Qt6${module}.dll Qt6${module}.dll SHIPPED)
    endforeach()
    # The window system, the About window's JPEG, Windows' own look.
    foreach(plugin platforms/qwindows imageformats/qjpeg styles/qwindowsvistastyle)
        scp_runtime_file(${scp_qt_prefix}/plugins/${plugin}.dll ${plugin}.dll SHIPPED)
    endforeach()
endif()
if(SCP_BUILD_TESTS)
    scp_runtime_file(${scp_qt_prefix}/bin/Qt6Test.dll Qt6Test.dll)
    if(SCP_BUILD_GUI)
        scp_runtime_file(${scp_qt_prefix}/plugins/platforms/qoffscreen.dll
            platforms/qoffscreen.dll)
    endif()
endif()
add_custom_target(scp_windows_runtime ALL DEPENDS ${scp_runtime_outputs})
