target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AboutCredits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpContents.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Manifest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MemoryText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VersionHistory.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AboutWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/HelpWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InfoActions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MemoryWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VersionHistoryWindow.cpp
)

# The help topics and the icon, built into the program: the in-program help window shows the
# same pages the help file is compiled from, and the about window shows the icon.
include(${CMAKE_CURRENT_LIST_DIR}/../../resources/help/help-files.cmake)
qt_add_resources(quillory_ui quillory_help_pages
    PREFIX /help
    BASE ${QUILLORY_HELP_DIR}
    FILES ${QUILLORY_HELP_SOURCES}
)
qt_add_resources(quillory_ui quillory_icon
    PREFIX /quillory
    BASE ${CMAKE_CURRENT_LIST_DIR}/../../resources
    FILES ${CMAKE_CURRENT_LIST_DIR}/../../resources/quillory.png
)
