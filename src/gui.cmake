# lw_gui: everything that uses Qt Widgets. Each folder adds its own sources with target_sources().
add_library(lw_gui STATIC)
target_include_directories(lw_gui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(lw_gui PUBLIC lw_core Qt6::Widgets Qt6::PrintSupport Qt6::Svg Qt6::Network Qt6::DBus)
# Xlib for the keyboard extension's state of Caps Lock and Num Lock under X11.
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11)
target_link_libraries(lw_gui PRIVATE PkgConfig::X11)
lw_warnings(lw_gui)

add_subdirectory(res)
add_subdirectory(framework)
add_subdirectory(controls)
add_subdirectory(docs)
add_subdirectory(shell)
add_subdirectory(textdoc)
add_subdirectory(workspace)
# The passwords document's Qt classes; the rest of passwords/ is part of the Qt-free core.
target_sources(lw_gui PRIVATE passwords/VaultoraDoc.h passwords/VaultoraDoc.cpp passwords/VaultoraView.h passwords/VaultoraView.cpp)

add_subdirectory(app)

# Desktop integration (menu entry, file types, icon, help page), installed with the editor.
add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${CMAKE_BINARY_DIR}/packaging)
