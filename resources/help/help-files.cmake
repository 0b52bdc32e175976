# The help sources: one list for the compiled help file and for the copy built into the program.
set(QUILLORY_HELP_DIR ${CMAKE_CURRENT_LIST_DIR})
set(QUILLORY_HELP_PROJECT ${CMAKE_CURRENT_LIST_DIR}/QYHelp3.hhp)
set(QUILLORY_HELP_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QYHelp3.hhp
    ${CMAKE_CURRENT_LIST_DIR}/contents.hhc
    ${CMAKE_CURRENT_LIST_DIR}/help.css
    ${CMAKE_CURRENT_LIST_DIR}/welcome.htm
    ${CMAKE_CURRENT_LIST_DIR}/items.htm
    ${CMAKE_CURRENT_LIST_DIR}/add-item.htm
    ${CMAKE_CURRENT_LIST_DIR}/edit-item.htm
    ${CMAKE_CURRENT_LIST_DIR}/borrowers.htm
    ${CMAKE_CURRENT_LIST_DIR}/add-borrower.htm
    ${CMAKE_CURRENT_LIST_DIR}/lending.htm
    ${CMAKE_CURRENT_LIST_DIR}/returning.htm
    ${CMAKE_CURRENT_LIST_DIR}/totals.htm
    ${CMAKE_CURRENT_LIST_DIR}/folders.htm
    ${CMAKE_CURRENT_LIST_DIR}/messages.htm
    ${CMAKE_CURRENT_LIST_DIR}/information.htm
)
