# Run by `cmake --install`: writes quillory.desktop into the program folder with the installed
# program and icon, so it can be copied to ~/.local/share/applications as it is.
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
# In an Exec line a quoted argument escapes these characters, and "%" is doubled.
string(REPLACE "\\" "\\\\\\\\" exec "${prefix}/quillory")
string(REPLACE "\"" "\\\\\"" exec "${exec}")
string(REPLACE "`" "\\\\`" exec "${exec}")
string(REPLACE "$" "\\\\$" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
file(READ "${QUILLORY_DESKTOP_SOURCE}" entry)
string(REPLACE "\nExec=quillory\n" "\nExec=\"${exec}\"\n" entry "${entry}")
string(REPLACE "\nIcon=quillory\n" "\nIcon=${prefix}/quillory.png\n" entry "${entry}")
set(target "$ENV{DESTDIR}${prefix}/quillory.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
