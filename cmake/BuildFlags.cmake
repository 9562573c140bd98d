# Compiler and linker flags beyond the warnings, for every target of the
# build. Included from the root CMakeLists.txt before the targets.
#   SCP_HARDENING  the distribution's hardening of the Linux programs: buffer
#                  checks of the C library's calls (_FORTIFY_SOURCE, in
#                  optimised builds, which it needs), stack protection,
#                  position-independent programs, and relocations resolved
#                  at start and then made read-only
#   SCP_SANITIZE   AddressSanitizer and UndefinedBehaviorSanitizer, every
#                  report of either ending the program (the sanitize preset)
# The Windows build has its own: the mingw-w64 linker marks programs for
# address-space randomisation and no-execute data by default.
if(WIN32)
    set(scp_hardening_default OFF)
else()
    set(scp_hardening_default ON)
endif()
option(SCP_HARDENING "Build with the distribution's hardening flags" ${scp_hardening_default})
option(SCP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(SCP_HARDENING)
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES CXX)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    add_compile_options(-fstack-protector-strong)
    # The sanitizers check the same calls, and better, without it.
    if(NOT SCP_SANITIZE)
        add_compile_options(
            "$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=3>")
    endif()
    add_link_options(LINKER:-z,relro,-z,now)
endif()

if(SCP_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
