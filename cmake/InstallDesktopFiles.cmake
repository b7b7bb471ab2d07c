# Run by `cmake --install`: writes the desktop entry with the program's installed path and
# installs it, the icons and the AppStream metadata into the installing user's data folder.
# Set by the caller: MIRELO_PACKAGING_DIR, MIRELO_GENERATED_DIR, MIRELO_XDG_DATA_HOME (may be
# empty), MIRELO_PROGRAM_NAME. DESTDIR is honoured by file(INSTALL).

if(MIRELO_XDG_DATA_HOME)
    set(data_home "${MIRELO_XDG_DATA_HOME}")
elseif(IS_ABSOLUTE "$ENV{XDG_DATA_HOME}")
    set(data_home "$ENV{XDG_DATA_HOME}")
elseif(NOT "$ENV{HOME}" STREQUAL "")
    set(data_home "$ENV{HOME}/.local/share")
else()
    message(WARNING "Neither XDG_DATA_HOME nor HOME is set: the desktop entry is not installed")
    return()
endif()

get_filename_component(program "${CMAKE_INSTALL_PREFIX}/${MIRELO_PROGRAM_NAME}" ABSOLUTE)
if(program MATCHES "[\n\r]")
    message(FATAL_ERROR "A desktop entry cannot name a program whose path holds a line break: ${program}")
endif()

# Exec: quoted when the path holds a character the desktop entry format reserves, with ", `, $
# and \ escaped inside the quotes; "%" doubled; then every \ escaped once more, as in any
# string value.
set(exec "${program}")
if(exec MATCHES "[ \t\"'\\><~|&;$*?#()`]")
    string(REPLACE "\\" "\\\\" exec "${exec}")
    string(REPLACE "\"" "\\\"" exec "${exec}")
    string(REPLACE "`" "\\`" exec "${exec}")
    string(REPLACE "$" "\\$" exec "${exec}")
    set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" MIRELO_DESKTOP_EXEC "${exec}")
string(REPLACE "\\" "\\\\" MIRELO_DESKTOP_TRYEXEC "${program}")

set(entry "${MIRELO_GENERATED_DIR}/io.mirelo.Mirelo.desktop")
configure_file("${MIRELO_PACKAGING_DIR}/io.mirelo.Mirelo.desktop.in" "${entry}" @ONLY)
file(INSTALL "${entry}" DESTINATION "${data_home}/applications")
file(INSTALL "${MIRELO_PACKAGING_DIR}/io.mirelo.Mirelo.metainfo.xml"
    DESTINATION "${data_home}/metainfo")
foreach(size 16 32 48 64 128 256)
    file(INSTALL "${MIRELO_PACKAGING_DIR}/icons/hicolor/${size}x${size}/apps/mirelo.png"
        DESTINATION "${data_home}/icons/hicolor/${size}x${size}/apps")
endforeach()
