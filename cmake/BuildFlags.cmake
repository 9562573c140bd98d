# Compiler and linker flags beyond the warnings, for every target of the
# build. Included from the root CMakeLists.txt before the targets.
#   SCP_SANITIZE   AddressSanitizer and UndefinedBehaviorSanitizer, every
#                  report of either ending the program (the sanitize preset)
option(SCP_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(SCP_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
