# linkctl's requests and answers on bytes alone, then the program against a fake daemon of the
# test's own on 127.0.0.1. Built without zek_test so that none of the panel-link code is linked:
# the client is written from the byte tables and checks the daemon rather than shares its code.
add_executable(linkctlTest ${CMAKE_CURRENT_LIST_DIR}/linkctlTest.cpp)
target_link_libraries(linkctlTest PRIVATE linkctlprotocol Threads::Threads GTest::gtest
                      GTest::gtest_main)
# The byte strings spelled out as the simulators' tests spell them.
target_include_directories(linkctlTest PRIVATE ${CMAKE_CURRENT_LIST_DIR}/../sim)
target_compile_definitions(linkctlTest PRIVATE ZEK_LINKCTL_PATH="$<TARGET_FILE:linkctl>")
add_dependencies(linkctlTest linkctl)
add_test(NAME linkctlTest COMMAND linkctlTest)
set_tests_properties(linkctlTest PROPERTIES TIMEOUT 120)
