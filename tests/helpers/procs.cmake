add_test_helper(procs_child SOURCES procs_child.cpp LIBS sys psapi)
