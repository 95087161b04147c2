add_test_helper(ui_driver SOURCES ui_driver.cpp)
