# GUI tests: offscreen platform, no display needed (see scp_add_test).
if(TARGET scpmaker_ui)
    scp_add_test(tst_widget_text_box SOURCES tst_widget_text_box.cpp text_box_contract.h
        LIBS scpmaker_ui)
    scp_add_test(tst_form1 SOURCES tst_form1.cpp LIBS scpmaker_ui)
    scp_add_test(tst_save_form SOURCES tst_save_form.cpp LIBS scpmaker_ui)
    scp_add_test(tst_form2 SOURCES tst_form2.cpp LIBS scpmaker_ui)
endif()

# The real editor in a private X server, driven by mouse and keyboard.
find_program(SCP_XVFB Xvfb)
find_program(SCP_XDOTOOL xdotool)
find_program(SCP_PYTHON3 python3) # sends the window manager's close request
if(TARGET scpmaker AND SCP_XVFB AND SCP_XDOTOOL AND SCP_PYTHON3)
    add_test(NAME xvfb_editor_session
        COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/xvfb/run_editor_session.sh
            $<TARGET_FILE:scpmaker> ${CMAKE_CURRENT_SOURCE_DIR}/data/blocks)
    set_tests_properties(xvfb_editor_session PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=xcb" TIMEOUT 120 LABELS xvfb)
endif()
