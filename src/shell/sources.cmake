target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Session.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Statistics.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/MainMenus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
)
