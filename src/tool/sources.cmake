# quillory-tool: the console program beside quillory, on the core library only (no display).
# The logic of its commands lives in quillory_toolcore (QtCore and libcsv), tested directly.
find_path(CSV_INCLUDE_DIR csv.h REQUIRED)
find_library(CSV_LIBRARY csv REQUIRED)

add_library(quillory_toolcore STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Csv.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Export.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Import.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryCheck.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LoanDates.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Overdue.cpp
)
target_include_directories(quillory_toolcore PRIVATE ${CSV_INCLUDE_DIR})
target_link_libraries(quillory_toolcore PUBLIC quillory_core PRIVATE ${CSV_LIBRARY})

# A subcommand is one source file that registers itself (see Command.h) plus its line below.
add_executable(quillory-tool
    ${CMAKE_CURRENT_LIST_DIR}/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CheckCommand.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Command.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExportCommand.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImportCommand.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OverdueCommand.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StatsCommand.cpp
)
target_link_libraries(quillory-tool PRIVATE quillory_toolcore)
install(TARGETS quillory-tool RUNTIME DESTINATION .)
