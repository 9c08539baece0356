# The virtual front panel's decoding, lamp registers, encoder pipe and control client; the last
# against the virtual MCU program (testsupport names it and builds it first). Built without
# zek_test so that none of the panel-link code is linked into a simulator's test.
add_executable(frontPanelTest ${CMAKE_CURRENT_LIST_DIR}/frontPanelTest.cpp)
target_link_libraries(frontPanelTest PRIVATE frontpanelcore testsupport GTest::gtest
                      GTest::gtest_main)
add_test(NAME frontPanelTest COMMAND frontPanelTest)
set_tests_properties(frontPanelTest PROPERTIES TIMEOUT 300)
