# The editor's windows, on top of the core. Included from src/CMakeLists.txt.
add_library(scpmaker_ui STATIC
    lists/widget_text_box.h lists/widget_text_box.cpp
    script/save_form.h script/save_form.cpp
    script/message_box_reporter.h script/message_box_reporter.cpp
    ui/form1.h ui/form1.cpp
    ui/form2.h ui/form2.cpp
    ui/link_launcher.h ui/link_launcher.cpp
    ui/layout_units.h ui/layout_units.cpp
    app/instances.h app/instances.cpp
    ${PROJECT_SOURCE_DIR}/resources/resources.qrc
)
target_include_directories(scpmaker_ui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(scpmaker_ui PUBLIC scpmaker_core Qt6::Gui Qt6::Widgets PRIVATE scp_warnings)

add_executable(scpmaker app/main.cpp)
target_link_libraries(scpmaker PRIVATE scpmaker_ui scp_warnings)
