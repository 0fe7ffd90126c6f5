# The Windows build's folder of files and its packages: a portable .zip and an installer made by
# CPack's NSIS generator (Debian: nsis). Everything lands in one folder: the two programs, the DLLs
# of Qt, ICU and the MinGW runtime, Qt's plugins and Chinese translations, and qt.conf, which
# tells Qt where they are. The conversion dictionaries are inside the programs.
include(${PROJECT_SOURCE_DIR}/cmake/MingwRuntime.cmake)
install(FILES ${SHOPKEEPER_MINGW_RUNTIME_DLLS} DESTINATION .)

# ICU's DLLs are beside its import libraries' folder, in bin/.
get_filename_component(icu_root "${ICU_INCLUDE_DIR}" DIRECTORY)
file(GLOB icu_dlls ${icu_root}/bin/icuuc*.dll ${icu_root}/bin/icudt*.dll)
if(NOT icu_dlls)
    message(FATAL_ERROR "ICU's DLLs are not in ${icu_root}/bin")
endif()
install(FILES ${icu_dlls} DESTINATION .)

if(SHOPKEEPER_BUILD_GUI)
    # Imported targets belong to the folder that found them: Qt is found again here.
    find_package(Qt6 6.4 REQUIRED COMPONENTS Widgets)
    install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets> DESTINATION .)
    install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> $<TARGET_FILE:Qt6::QOffscreenIntegrationPlugin>
            DESTINATION plugins/platforms)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION plugins/styles)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/windows/qt.conf DESTINATION .)
    # Qt's own texts in Chinese, from the build machine (Debian: qt6-translations-l10n).
    find_file(SHOPKEEPER_QT_ZH_CN qtbase_zh_CN.qm PATHS /usr/share/qt6/translations NO_DEFAULT_PATH
              NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    install(FILES ${SHOPKEEPER_QT_ZH_CN} DESTINATION translations)
endif()

set(CPACK_PACKAGE_NAME Shopkeeper)
set(CPACK_PACKAGE_VENDOR "The Shopkeeper developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Editor for the NPC shops of a game's server-side script data")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_HOMEPAGE_URL ${SHOPKEEPER_HOMEPAGE})
set(CPACK_PACKAGE_INSTALL_DIRECTORY Shopkeeper)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Shopkeeper)
set(CPACK_PACKAGE_FILE_NAME Shopkeeper-${PROJECT_VERSION}-win64)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR ZIP NSIS64)
# A 64-bit installer: Wine's wine64 alone runs no 32-bit program, and Windows needs none.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
# The Start-menu entry runs the editor; the installer and the uninstaller show its icon.
set(CPACK_PACKAGE_EXECUTABLES shopkeeper Shopkeeper)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME shopkeeper.exe)
set(CPACK_NSIS_DISPLAY_NAME Shopkeeper)
set(CPACK_NSIS_PACKAGE_NAME "Shopkeeper ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_URL_INFO_ABOUT ${SHOPKEEPER_HOMEPAGE})
if(SHOPKEEPER_ICO)
    set(CPACK_NSIS_MUI_ICON ${SHOPKEEPER_ICO})
    set(CPACK_NSIS_MUI_UNIICON ${SHOPKEEPER_ICO})
endif()
include(CPack)
