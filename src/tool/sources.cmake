# quillory-tool: the console program beside quillory, on the core library only (no display).
# A subcommand is one source file that registers itself (see Command.h) plus its line below.
add_executable(quillory-tool
    ${CMAKE_CURRENT_LIST_DIR}/main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Command.cpp
)
target_link_libraries(quillory-tool PRIVATE quillory_core)
install(TARGETS quillory-tool RUNTIME DESTINATION .)
