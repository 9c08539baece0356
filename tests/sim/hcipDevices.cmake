# The device side of the configuration protocol on bytes alone; then virtual network devices and
# discoverable cameras found and set up from the panel's namespace (scripts/netns-run.sh;
# testsupport names the simulators and builds them first).
zek_test(hcipResponderTest ${CMAKE_CURRENT_LIST_DIR}/hcipResponderTest.cpp)
target_link_libraries(hcipResponderTest PRIVATE simhcip)

add_executable(hcipDevicesProcessTest ${CMAKE_CURRENT_LIST_DIR}/hcipDevicesProcessTest.cpp)
target_link_libraries(hcipDevicesProcessTest PRIVATE testsupport GTest::gtest GTest::gtest_main)
add_test(NAME hcipDevicesProcessTest
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/netns-run.sh $<TARGET_FILE:hcipDevicesProcessTest>)
set_tests_properties(hcipDevicesProcessTest PROPERTIES TIMEOUT 120)
