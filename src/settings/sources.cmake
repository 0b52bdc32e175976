target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FolderSettings.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesLogic.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/PreferencesDialog.cpp
)
