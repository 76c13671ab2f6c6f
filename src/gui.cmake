# The editor's layers, from the framework up; each folder makes its own library with lw_layer().
add_subdirectory(framework)
add_subdirectory(res)
add_subdirectory(controls)
add_subdirectory(docs)
add_subdirectory(textdoc)
# The passwords document's Qt classes; the rest of passwords/ is part of the Qt-free core.
lw_layer(lw_passwords_gui LINKS lw_textdoc SOURCES
    passwords/VaultoraDoc.h passwords/VaultoraDoc.cpp passwords/VaultoraView.h passwords/VaultoraView.cpp)
add_subdirectory(workspace)
add_subdirectory(shell)

add_library(lw_gui INTERFACE)
target_link_libraries(lw_gui INTERFACE lw_shell)

add_subdirectory(app)

# Desktop integration (menu entry, file types, icon, help page), installed with the editor.
add_subdirectory(${PROJECT_SOURCE_DIR}/packaging ${CMAKE_BINARY_DIR}/packaging)
