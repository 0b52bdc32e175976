target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ItemCatalogue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemView.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/EditItemDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemForm.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NewItemDialog.cpp
)
