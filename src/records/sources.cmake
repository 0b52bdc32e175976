target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Cp1252.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FieldCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileSync.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FileNames.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FolderIndex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ItemRecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Leftovers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoanList.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoanRecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NameTable.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Paths.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProfileRecord.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordChange.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/RecordWrite.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Result.cpp
)
