# A service program of the tests, registered with the service control manager by the tests.
add_test_helper(service_helper GUI SOURCES service_helper.cpp LIBS advapi32)
