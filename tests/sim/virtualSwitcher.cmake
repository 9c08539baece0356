# The switcher's side of the tally link on bytes alone; then the program itself on the wire
# (scripts/netns-run.sh; testsupport names the program and builds it first). Neither links the
# product's libraries.
add_executable(virtualSwitcherModelTest ${CMAKE_CURRENT_LIST_DIR}/virtualSwitcherModelTest.cpp)
target_link_libraries(virtualSwitcherModelTest PRIVATE virtualswitchermodel GTest::gtest
                      GTest::gtest_main)
add_test(NAME virtualSwitcherModelTest COMMAND virtualSwitcherModelTest)
set_tests_properties(virtualSwitcherModelTest PROPERTIES TIMEOUT 60)

add_executable(virtualSwitcherProcessTest ${CMAKE_CURRENT_LIST_DIR}/virtualSwitcherProcessTest.cpp)
target_link_libraries(virtualSwitcherProcessTest PRIVATE testsupport GTest::gtest
                      GTest::gtest_main)
add_test(NAME virtualSwitcherProcessTest
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/netns-run.sh
                 $<TARGET_FILE:virtualSwitcherProcessTest>)
set_tests_properties(virtualSwitcherProcessTest PROPERTIES TIMEOUT 180)
