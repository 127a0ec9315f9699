# Run by `cmake --install`: writes the desktop entry for the prefix being
# installed to into TOCKAMO_ENTRY_DIR (the build tree) and installs it into
# share/applications/.
#
# The launcher starts the program by its full path, so it works whether or
# not the prefix's bin/ is on PATH. The path is double-quoted for the Exec
# key: inside the quotes a backslash, double quote, backquote or dollar sign
# takes a backslash; then the key's value, as any desktop entry string,
# doubles every backslash; a literal per cent sign is doubled.
set(exec "${CMAKE_INSTALL_PREFIX}/bin/tockamo")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(TOCKAMO_EXEC "\"${exec}\"")

set(entry "${TOCKAMO_ENTRY_DIR}/tockamo.desktop")
configure_file("${CMAKE_CURRENT_LIST_DIR}/tockamo.desktop.in" "${entry}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE FILES "${entry}")
