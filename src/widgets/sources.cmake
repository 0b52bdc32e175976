target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FieldHelpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FittedLabel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormLayout.cpp
)
