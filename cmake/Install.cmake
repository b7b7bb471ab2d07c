# `cmake --install <build> [--prefix P]` (DESTDIR honoured): the usual layout under P and nothing
# outside it. P/bin holds the programs; the desktop entry, icons, AppStream metadata, manual
# pages and the copyright and changelog go under P/share.

# Build folders made before this layout had the prefix forced into the user's home; put
# CMake's own default back once.
if(DEFINED CACHE{MIRELO_INSTALL_DESKTOP_FILES})
    unset(MIRELO_INSTALL_DESKTOP_FILES CACHE)
    unset(MIRELO_XDG_DATA_HOME CACHE)
    if(CMAKE_INSTALL_PREFIX STREQUAL "$ENV{HOME}/.local/opt/mirelo")
        set(CMAKE_INSTALL_PREFIX "/usr/local" CACHE PATH "Install path prefix" FORCE)
    endif()
endif()
include(GNUInstallDirs)

# Every program we install, and every manual page. Pages are named <name>.<section>;
# @PROJECT_VERSION@ in them becomes the version.
set(MIRELO_INSTALLED_PROGRAMS mirelo mirelo-lookup)
set(MIRELO_MAN_PAGES ${PROJECT_SOURCE_DIR}/packaging/man/mirelo.1
    ${PROJECT_SOURCE_DIR}/packaging/man/mirelo-lookup.1)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(mirelo_package_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/mirelo)

install(TARGETS ${MIRELO_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog are installed compressed, as Debian wants them. They are made
# when configuring (again whenever the source changes), so installing needs only the programs
# built; gzip -n keeps the name and time out, so the same source gives the same bytes.
function(mirelo_gzip source output)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    get_filename_component(output_dir ${output} DIRECTORY)
    file(MAKE_DIRECTORY ${output_dir})
    execute_process(COMMAND gzip -9n -c ${source} OUTPUT_FILE ${output}.gz
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "Could not compress ${source}")
    endif()
endfunction()

foreach(page ${MIRELO_MAN_PAGES})
    get_filename_component(page_name ${page} NAME)
    string(REGEX REPLACE "^.*\\.([1-9])$" "\\1" section ${page_name})
    configure_file(${page} ${PROJECT_BINARY_DIR}/man/${page_name} @ONLY)
    mirelo_gzip(${PROJECT_BINARY_DIR}/man/${page_name} ${PROJECT_BINARY_DIR}/man/${page_name})
    install(FILES ${PROJECT_BINARY_DIR}/man/${page_name}.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# A version without a Debian revision makes a native package, whose changelog is changelog.gz.
mirelo_gzip(${PROJECT_SOURCE_DIR}/packaging/debian/changelog ${PROJECT_BINARY_DIR}/doc/changelog)
install(FILES ${PROJECT_BINARY_DIR}/doc/changelog.gz ${PROJECT_SOURCE_DIR}/packaging/debian/copyright
    DESTINATION ${mirelo_package_docdir})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/io.mirelo.Mirelo.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/packaging/icons/hicolor
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons
    FILES_MATCHING PATTERN "*.png")

# The desktop entry names the program by its installed path, known only when installing
# (`cmake --install --prefix` may change it): it is written then.
install(CODE "
    set(MIRELO_PACKAGING_DIR \"${PROJECT_SOURCE_DIR}/packaging\")
    set(MIRELO_GENERATED_DIR \"${PROJECT_BINARY_DIR}/packaging\")
    set(MIRELO_BINDIR \"${CMAKE_INSTALL_BINDIR}\")
    set(MIRELO_DATAROOTDIR \"${CMAKE_INSTALL_DATAROOTDIR}\")
    set(MIRELO_PROGRAM_NAME \"$<TARGET_FILE_NAME:mirelo>\")
    include(\"${CMAKE_CURRENT_LIST_DIR}/InstallDesktopFiles.cmake\")
")
