# Run by cpack before it makes each package. The zip is the portable copy:
# the empty scpmaker.ini it carries beside the programs makes the editor keep
# its settings in that file and its recovery journals in the folder beside
# it, not in the registry and the user's data folder. The installer carries
# none, and keeps the user's places.
if(CPACK_GENERATOR STREQUAL "ZIP")
    file(WRITE "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/scpmaker.ini" "")
endif()
