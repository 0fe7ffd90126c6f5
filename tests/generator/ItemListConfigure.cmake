# Configures a small project over src/itemdata with the item list files NAMES and IDS, as a build
# with SHOPKEEPER_ITEM_NAMES / SHOPKEEPER_ITEM_IDS does, and checks that it fails with EXPECT
# (or succeeds when EXPECT is empty).
cmake_minimum_required(VERSION 3.25)
set(build ${WORK}/build)
file(REMOVE_RECURSE ${build})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/itemlist-project -B ${build} -G ${GENERATOR}
            -DCMAKE_CXX_COMPILER=${CXX} -DSHOPKEEPER_SOURCE_DIR=${SOURCE_DIR}
            -DSHOPKEEPER_ITEM_NAMES=${NAMES} -DSHOPKEEPER_ITEM_IDS=${IDS}
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(EXPECT STREQUAL "")
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "configure failed on a good list:\n${output}")
    endif()
else()
    if(result EQUAL 0)
        message(FATAL_ERROR "configure succeeded; expected: ${EXPECT}")
    endif()
    string(FIND "${output}" "${EXPECT}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "configure failed without \"${EXPECT}\":\n${output}")
    endif()
endif()
