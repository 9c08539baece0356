# Network cameras that reboot or lose their cable, and serial adapters plugged in while the panel
# runs: the panel in this process against virtual cameras in the namespaces of netns-run.sh.
add_executable(cameraReconnectTest ${CMAKE_CURRENT_LIST_DIR}/cameraReconnectTest.cpp)
target_link_libraries(cameraReconnectTest PRIVATE panelrig GTest::gtest)
add_test(NAME cameraReconnectTest
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/netns-run.sh $<TARGET_FILE:cameraReconnectTest>)
set_tests_properties(cameraReconnectTest PROPERTIES TIMEOUT 300)
# The real program, end to end.
add_test(NAME reconnectEndToEnd
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/netns-run.sh
                 ${CMAKE_CURRENT_LIST_DIR}/reconnectEndToEnd.sh ${CMAKE_BINARY_DIR})
set_tests_properties(reconnectEndToEnd PROPERTIES TIMEOUT 180)
