target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/InfoActions.cpp
)
