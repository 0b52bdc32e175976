target_sources(quillory_core PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/AppInfo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/InstanceGuard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SettingsStore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SystemInfo.cpp
)
target_sources(quillory_ui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/QtPlatform.cpp
)
if(UNIX AND NOT APPLE)
    target_sources(quillory_ui PRIVATE ${CMAKE_CURRENT_LIST_DIR}/X11Locks.cpp)
endif()
