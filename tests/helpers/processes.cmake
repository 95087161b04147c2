# A program the process tests copy under the suite's names and start many times. Without a
# console, so that each copy is one process.
add_test_helper(process_helper GUI SOURCES process_helper.cpp LIBS advapi32 psapi)
