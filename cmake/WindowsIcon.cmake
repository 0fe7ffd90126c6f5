# shopkeeper.ico from the SVG, rendered at build time (rsvg-convert for each size, ImageMagick to
# join them). Sets SHOPKEEPER_ICO, the file a custom command makes.
find_program(SHOPKEEPER_RSVG_CONVERT rsvg-convert NO_CMAKE_FIND_ROOT_PATH REQUIRED)
find_program(SHOPKEEPER_IMAGEMAGICK NAMES convert magick NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(svg ${PROJECT_SOURCE_DIR}/packaging/linux/shopkeeper.svg)
set(SHOPKEEPER_ICO ${PROJECT_BINARY_DIR}/icons/shopkeeper.ico)
set(pngs)
set(commands)
foreach(size 16 24 32 48 64 256)
    set(png ${PROJECT_BINARY_DIR}/icons/ico-${size}.png)
    list(APPEND pngs ${png})
    list(APPEND commands COMMAND ${SHOPKEEPER_RSVG_CONVERT} --width ${size} --height ${size} --output ${png} ${svg})
endforeach()
add_custom_command(OUTPUT ${SHOPKEEPER_ICO}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/icons
    ${commands}
    COMMAND ${SHOPKEEPER_IMAGEMAGICK} ${pngs} ${SHOPKEEPER_ICO}
    DEPENDS ${svg}
    COMMENT "Rendering shopkeeper.ico"
    VERBATIM)
add_custom_target(shopkeeper_ico DEPENDS ${SHOPKEEPER_ICO})
