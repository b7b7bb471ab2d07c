# `cmake --install <build>`: the program in one folder of its own, plus the desktop entry, the
# icon and the AppStream metadata in the installing user's data folder.
#
# The program writes its support files and the downloaded portraits beside its executable, so
# its folder must be one the user can write to: the default prefix is in the user's home, not
# a system-wide folder. The folder holds everything the program needs besides the system's Qt
# and keeps working when moved (only the desktop entry then points to the old place).

set(mirelo_default_prefix ${CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT})
# A build folder configured before there were install rules holds CMake's own default, which
# nobody chose: it moves to the user's folder once too. (The cache on disk is the previous one.)
if(NOT DEFINED MIRELO_INSTALL_DESKTOP_FILES AND CMAKE_INSTALL_PREFIX STREQUAL "/usr/local"
   AND EXISTS "${CMAKE_BINARY_DIR}/CMakeCache.txt")
    set(mirelo_default_prefix TRUE)
endif()
if(mirelo_default_prefix AND NOT "$ENV{HOME}" STREQUAL "")
    set(CMAKE_INSTALL_PREFIX "$ENV{HOME}/.local/opt/mirelo" CACHE PATH
        "The program's own folder (it writes files beside itself)" FORCE)
endif()

option(MIRELO_INSTALL_DESKTOP_FILES
    "Also install the desktop entry, the icons and the AppStream metadata" ON)
set(MIRELO_XDG_DATA_HOME "" CACHE PATH
    "Where the desktop entry, icons and metadata go; empty: $XDG_DATA_HOME or ~/.local/share of the user who installs")

# Libraries of our own, should the program ever get any, are looked up beside it.
set_target_properties(mirelo PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS mirelo RUNTIME DESTINATION .)

if(MIRELO_INSTALL_DESKTOP_FILES)
    # The desktop entry names the program by its absolute installed path, known only when
    # installing (`cmake --install --prefix` may change it): it is written then.
    install(CODE "
        set(MIRELO_PACKAGING_DIR \"${PROJECT_SOURCE_DIR}/packaging\")
        set(MIRELO_GENERATED_DIR \"${PROJECT_BINARY_DIR}/packaging\")
        set(MIRELO_XDG_DATA_HOME \"${MIRELO_XDG_DATA_HOME}\")
        set(MIRELO_PROGRAM_NAME \"$<TARGET_FILE_NAME:mirelo>\")
        include(\"${CMAKE_CURRENT_LIST_DIR}/InstallDesktopFiles.cmake\")
    ")
endif()
