target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Lending.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LendingMessages.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BorrowDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemListWindow.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LendingActions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReturnPanel.cpp
)
