add_test_helper(procs_child SOURCES procs_child.cpp LIBS sys_shared sys_processes psapi)
