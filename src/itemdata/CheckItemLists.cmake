# shopkeeper_check_item_lists(NAMES IDS): stops the configure step with what is wrong when the
# two files are not a built-in item list. The checker is built from ItemListFormat.h alone; a
# result is remembered per file content, so an unchanged list is not checked again.
set(SHOPKEEPER_ITEMDATA_DIR ${CMAKE_CURRENT_LIST_DIR})

function(shopkeeper_check_item_lists names ids)
    foreach(file IN ITEMS "${names}" "${ids}")
        if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
            message(FATAL_ERROR "Built-in item list: no file at ${file}")
        endif()
    endforeach()
    file(SHA256 "${names}" names_hash)
    file(SHA256 "${ids}" ids_hash)
    set(key "${names_hash}-${ids_hash}")
    if(SHOPKEEPER_ITEM_LISTS_CHECKED STREQUAL key)
        return()
    endif()
    if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
        message(WARNING "Built-in item list: cross-compiling without an emulator, the format is not checked")
        return()
    endif()
    try_run(run_result compile_result
        ${CMAKE_BINARY_DIR}/item-list-check
        ${SHOPKEEPER_ITEMDATA_DIR}/ItemListCheck.cpp
        CMAKE_FLAGS "-DINCLUDE_DIRECTORIES=${SHOPKEEPER_ITEMDATA_DIR}"
        CXX_STANDARD 17
        COMPILE_OUTPUT_VARIABLE compile_output
        RUN_OUTPUT_VARIABLE run_output
        ARGS "${names}" "${ids}")
    if(NOT compile_result)
        message(FATAL_ERROR "Built-in item list: the format checker did not build:\n${compile_output}")
    endif()
    if(NOT run_result EQUAL 0)
        string(STRIP "${run_output}" run_output)
        message(FATAL_ERROR "Built-in item list (${names}, ${ids}) does not have the format: ${run_output}")
    endif()
    set(SHOPKEEPER_ITEM_LISTS_CHECKED "${key}" CACHE INTERNAL "Content of the last item list that passed")
endfunction()
