target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FolderSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Statistics.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FieldHelpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesDialog.cpp
)
target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesLogic.cpp
)
