target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Borrowers.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/BorrowerPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EditProfileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NewProfileDialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfileForm.cpp
)
