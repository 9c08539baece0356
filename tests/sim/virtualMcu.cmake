# The virtual MCU as a program on its pseudo-terminal (testsupport names the program and builds it
# first).
zek_test(virtualMcuProcessTest ${CMAKE_CURRENT_LIST_DIR}/virtualMcuProcessTest.cpp)
target_link_libraries(virtualMcuProcessTest PRIVATE virtualmcumodel)
