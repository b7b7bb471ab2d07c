# Run by `cmake --install`: writes the desktop entry with the program's installed path and
# installs it under the prefix's share/applications. Set by the caller: MIRELO_PACKAGING_DIR,
# MIRELO_GENERATED_DIR, MIRELO_BINDIR, MIRELO_DATAROOTDIR (relative to the prefix unless
# absolute), MIRELO_PROGRAM_NAME. DESTDIR is honoured by file(INSTALL).

foreach(dir MIRELO_BINDIR MIRELO_DATAROOTDIR)
    if(NOT IS_ABSOLUTE "${${dir}}")
        set(${dir} "${CMAKE_INSTALL_PREFIX}/${${dir}}")
    endif()
endforeach()

get_filename_component(program "${MIRELO_BINDIR}/${MIRELO_PROGRAM_NAME}" ABSOLUTE)
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
file(INSTALL "${entry}" DESTINATION "${MIRELO_DATAROOTDIR}/applications"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
