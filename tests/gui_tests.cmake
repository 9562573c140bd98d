# GUI tests: offscreen platform, no display needed (see scp_add_test).
if(TARGET scpmaker_ui)
    # widget box contract, Form1, savefrm menus and copy, Form2 tests go here
endif()
