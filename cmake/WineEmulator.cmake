# The Windows cross-build runs its programs under Wine: the tests (ctest), the test discovery and
# the build steps that run a program of this build (the item list). Programs find the DLLs of ICU,
# Qt and the MinGW runtime through WINEPATH; the Wine prefix is the build folder's own.
find_program(SHOPKEEPER_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_CMAKE_FIND_ROOT_PATH
             DOC "The Wine loader that runs the cross-built programs (Debian: wine64)")
if(NOT SHOPKEEPER_WINE)
    message(WARNING "Wine was not found (scripts/setup.sh installs wine64): the Windows programs build, "
                    "but their tests and the item list step cannot run")
    return()
endif()

include(${CMAKE_CURRENT_LIST_DIR}/MingwRuntime.cmake)
set(dll_dirs)
foreach(dll IN LISTS SHOPKEEPER_MINGW_RUNTIME_DLLS)
    get_filename_component(dir "${dll}" DIRECTORY)
    list(APPEND dll_dirs ${dir})
endforeach()
# Every prefix the libraries come from: their DLLs are in bin/.
foreach(root IN LISTS CMAKE_FIND_ROOT_PATH)
    if(IS_DIRECTORY ${root}/bin)
        list(APPEND dll_dirs ${root}/bin)
    endif()
endforeach()
list(REMOVE_DUPLICATES dll_dirs)
string(REPLACE ";" ":" SHOPKEEPER_WINE_DLLS "${dll_dirs}")
set(SHOPKEEPER_WINE_PREFIX ${PROJECT_BINARY_DIR}/wineprefix)
set(CMAKE_CROSSCOMPILING_EMULATOR
    ${CMAKE_COMMAND} -E env SHOPKEEPER_WINE=${SHOPKEEPER_WINE} SHOPKEEPER_WINE_DLLS=${SHOPKEEPER_WINE_DLLS}
    WINEPREFIX=${SHOPKEEPER_WINE_PREFIX} sh ${PROJECT_SOURCE_DIR}/cmake/wine-run.sh)
