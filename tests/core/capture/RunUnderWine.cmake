# Runs the cross-built Windows capture test under Wine; fails with the reason when it cannot.
if(NOT EXE)
    message(FATAL_ERROR "x86_64-w64-mingw32-g++ was not found when configuring, so the Windows capture "
                        "backend could not be built (scripts/setup.sh installs g++-mingw-w64-x86-64)")
endif()
if(NOT WINE)
    message(FATAL_ERROR "Wine was not found (/usr/lib/wine/wine64; scripts/setup.sh installs wine64)")
endif()
if(NOT EXISTS "${EXE}")
    message(FATAL_ERROR "${EXE} has not been built")
endif()
# The prefix is kept between runs: making one takes several seconds, reusing it well under one.
file(MAKE_DIRECTORY "${PREFIX}")
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY WINEDEBUG=-all
            WINEPREFIX=${PREFIX} WINEDLLOVERRIDES=mscoree,mshtml= ${WINE} ${EXE}
    RESULT_VARIABLE result
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    TIMEOUT 100)
message("${output}")
if(NOT result EQUAL 0)
    if(NOT output MATCHES "WindowsCaptureTest:")
        message(FATAL_ERROR "Wine could not start the test program (exit ${result}):\n${errors}")
    endif()
    message(FATAL_ERROR "the Windows capture test failed (exit ${result}):\n${errors}")
endif()
