# What lies beside the program: the release notes and the compiled help file. Both are copied
# next to the executable at build time, so the program run from the build folder finds them,
# and `cmake --install` lays out one program folder: the executable, QYHelp3.chm,
# VersionHistory.txt, the icon and a desktop entry.
include(${CMAKE_CURRENT_LIST_DIR}/help/help-files.cmake)

find_program(QUILLORY_CHMCMD chmcmd)
if(NOT QUILLORY_CHMCMD)
    message(FATAL_ERROR
        "chmcmd, the compiler of the help file QYHelp3.chm, was not found.\n"
        "It comes with the Debian package fp-utils: run 'make deps', or as root "
        "'apt-get install fp-utils', then configure again.")
endif()

get_target_property(QUILLORY_PROGRAM_DIR quillory RUNTIME_OUTPUT_DIRECTORY)
if(NOT QUILLORY_PROGRAM_DIR)
    set(QUILLORY_PROGRAM_DIR ${CMAKE_BINARY_DIR})
endif()

set(quillory_help_stage ${CMAKE_BINARY_DIR}/help-build)
set(QUILLORY_HELP_FILE ${QUILLORY_PROGRAM_DIR}/QYHelp3.chm)
set(QUILLORY_VERSION_HISTORY ${QUILLORY_PROGRAM_DIR}/VersionHistory.txt)

# chmcmd reads the topics beside the project file and writes the help file into the folder it
# runs in; a topic that changes compiles the help file again.
add_custom_command(
    OUTPUT ${QUILLORY_HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${quillory_help_stage}
    COMMAND ${CMAKE_COMMAND} -E chdir ${quillory_help_stage}
            ${QUILLORY_CHMCMD} --verbosity 0 ${QUILLORY_HELP_PROJECT}
    COMMAND ${CMAKE_COMMAND} -E copy ${quillory_help_stage}/QYHelp3.chm ${QUILLORY_HELP_FILE}
    DEPENDS ${QUILLORY_HELP_SOURCES}
    COMMENT "Compiling the help file QYHelp3.chm"
    VERBATIM
)
add_custom_command(
    OUTPUT ${QUILLORY_VERSION_HISTORY}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_LIST_DIR}/VersionHistory.txt
            ${QUILLORY_VERSION_HISTORY}
    DEPENDS ${CMAKE_CURRENT_LIST_DIR}/VersionHistory.txt
    VERBATIM
)
add_custom_target(quillory_beside ALL DEPENDS ${QUILLORY_HELP_FILE} ${QUILLORY_VERSION_HISTORY})
add_dependencies(quillory quillory_beside)

install(FILES ${QUILLORY_HELP_FILE} ${CMAKE_CURRENT_LIST_DIR}/VersionHistory.txt
              ${CMAKE_CURRENT_LIST_DIR}/quillory.png
        DESTINATION .)
# The desktop entry is written at install time, when the program's folder is known.
install(CODE "set(QUILLORY_DESKTOP_SOURCE \"${CMAKE_CURRENT_LIST_DIR}/quillory.desktop\")")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install-desktop.cmake)
