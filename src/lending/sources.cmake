target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/LendingActions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReturnPanel.cpp
)
