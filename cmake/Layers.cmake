# Layers the build enforces.
#
# mirelo_include_root(<target> <folder>=<path>...) gives <target> an include root of its own, a
# folder of symbolic links, one per <folder> it may include from ("web/webclient.h" finds
# <root>/web/webclient.h). Folders missing from the root are invisible to the target and to
# every target that links it, so an include of a higher layer fails to compile. Every root
# also shows the generated "config/" headers.
function(mirelo_include_root target)
    set(root ${PROJECT_BINARY_DIR}/include-roots/${target})
    # Made anew at every configure, so a folder taken out of the list is gone too.
    file(REMOVE_RECURSE ${root})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_BINARY_DIR}/src/config ${root}/config SYMBOLIC)
    foreach(entry ${ARGN})
        string(REPLACE "=" ";" pair ${entry})
        list(GET pair 0 folder)
        list(GET pair 1 path)
        file(CREATE_LINK ${path} ${root}/${folder} SYMBOLIC)
    endforeach()
    target_include_directories(${target} PUBLIC ${root})
endfunction()

# mirelo_layer(mirelo_<layer> [FOLDER <folder>] [USES <layer>...] SOURCES <file>...) adds the
# static library of src/<layer> (or of src/<folder>, for a second library of one layer, which
# links the first): its include root shows that folder itself and the src/ folders of the layers
# it USES, and it links those layers' libraries.
function(mirelo_layer target)
    cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "FOLDER" "USES;SOURCES")
    string(REGEX REPLACE "^mirelo_" "" layer ${target})
    if(LAYER_FOLDER)
        set(layer ${LAYER_FOLDER})
    endif()
    set(folders ${layer}=${PROJECT_SOURCE_DIR}/src/${layer})
    foreach(below ${LAYER_USES})
        list(APPEND folders ${below}=${PROJECT_SOURCE_DIR}/src/${below})
    endforeach()
    add_library(${target} STATIC ${LAYER_SOURCES})
    target_link_libraries(${target} PUBLIC mirelo_options)
    foreach(below ${LAYER_USES})
        target_link_libraries(${target} PUBLIC mirelo_${below})
    endforeach()
    if(LAYER_FOLDER)
        target_link_libraries(${target} PUBLIC mirelo_${LAYER_FOLDER})
    endif()
    mirelo_include_root(${target} ${folders})
    # Forms of the layers below (the main window's, say) are generated where they are used.
    set(form_folders)
    foreach(folder ${layer} ${LAYER_USES})
        list(APPEND form_folders ${PROJECT_SOURCE_DIR}/src/${folder})
    endforeach()
    set_target_properties(${target} PROPERTIES AUTOUIC_SEARCH_PATHS "${form_folders}")
endfunction()

# mirelo_support_files(<target> <id> <file> ...) builds each file into <target> as the resource
# ":/support/<id>" and generates "supportfiletable.h", the program's table of them: its id and
# its file name (with the leading backslash the table's names carry), in the order given.
function(mirelo_support_files target)
    set(paths)
    set(rows)
    set(count 0)
    set(entries ${ARGN})
    while(entries)
        list(POP_FRONT entries id path)
        set_source_files_properties(${path} PROPERTIES QT_RESOURCE_ALIAS ${id})
        list(APPEND paths ${path})
        get_filename_component(name ${path} NAME)
        string(APPEND rows "        {${id}, \"\\\\${name}\"},\n")
        math(EXPR count "${count} + 1")
    endwhile()
    qt_add_resources(${target} "mirelo_support" PREFIX "/support" FILES ${paths})

    set(header_dir ${PROJECT_BINARY_DIR}/generated/${target})
    file(CONFIGURE OUTPUT ${header_dir}/supportfiletable.h CONTENT
"#pragma once

// Generated from the support-file list in src/CMakeLists.txt; edit the list, not this file.

#include <array>

namespace SupportFiles {

struct Entry
{
    int id; // the resource \":/support/<id>\" holding the file's bytes
    const char *name; // appended to the program directory; a leading backslash means \"in it\"
};

inline constexpr std::array<Entry, ${count}> SupportFileTable {{
${rows}}};

} // namespace SupportFiles
")
    target_include_directories(${target} PUBLIC ${header_dir})
endfunction()
