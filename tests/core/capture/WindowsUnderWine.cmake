# The Windows capture backend, tested for real: WindowsCaptureTest.cpp and the capture sources
# (no other core file, so no ICU or OpenCC) are built with the MinGW-w64 cross compiler and run
# under Wine. A missing compiler or Wine, or a Wine that cannot start, fails the test with the
# reason; it is never skipped.
find_program(SHOPKEEPER_MINGW_CXX NAMES x86_64-w64-mingw32-g++ x86_64-w64-mingw32-g++-posix)
find_program(SHOPKEEPER_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine)

set(capture_dir ${PROJECT_SOURCE_DIR}/src/core/capture)
set(windows_sources
    ${CMAKE_CURRENT_SOURCE_DIR}/WindowsCaptureTest.cpp
    ${capture_dir}/CaptureBackends.cpp
    ${capture_dir}/GameProbe.cpp
    ${capture_dir}/HotkeyTable.cpp
    ${capture_dir}/ItemCapture.cpp
    ${capture_dir}/WindowsKeyState.cpp
    ${capture_dir}/WindowsProcessSource.cpp)
file(GLOB capture_headers ${capture_dir}/*.h)
set(windows_exe ${CMAKE_CURRENT_BINARY_DIR}/WindowsCaptureTest.exe)

if(SHOPKEEPER_MINGW_CXX)
    add_custom_command(
        OUTPUT ${windows_exe}
        COMMAND ${SHOPKEEPER_MINGW_CXX} -std=c++23 -O1 -Wall -Wextra -Wpedantic -Werror -Wshadow
                -Wconversion -Wno-sign-conversion -static
                -I${PROJECT_SOURCE_DIR}/src ${windows_sources} -o ${windows_exe}
        DEPENDS ${windows_sources} ${capture_headers}
        COMMENT "Cross-building WindowsCaptureTest.exe with MinGW-w64"
        VERBATIM)
    add_custom_target(WindowsCaptureTestExe ALL DEPENDS ${windows_exe})
    set(windows_exe_arg ${windows_exe})
else()
    set(windows_exe_arg "")
endif()

add_test(NAME WindowsCaptureUnderWine
         COMMAND ${CMAKE_COMMAND} -DEXE=${windows_exe_arg} -DWINE=${SHOPKEEPER_WINE}
                 -DPREFIX=${CMAKE_CURRENT_BINARY_DIR}/wineprefix
                 -P ${CMAKE_CURRENT_SOURCE_DIR}/RunUnderWine.cmake)
set_tests_properties(WindowsCaptureUnderWine PROPERTIES LABELS core TIMEOUT 120 RESOURCE_LOCK game_named_processes)
