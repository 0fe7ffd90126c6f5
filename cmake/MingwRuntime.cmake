# The DLLs of the MinGW-w64 runtime that programs built with it need: libstdc++, libgcc and
# winpthread, found where the compiler has them. Sets SHOPKEEPER_MINGW_RUNTIME_DLLS.
set(SHOPKEEPER_MINGW_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${found}" OR NOT EXISTS "${found}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} has no ${dll}")
    endif()
    get_filename_component(found "${found}" REALPATH)
    list(APPEND SHOPKEEPER_MINGW_RUNTIME_DLLS ${found})
endforeach()
