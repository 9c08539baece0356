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
# Stops lost on their way to a camera or back, on every transport.
add_executable(stopResendTest ${CMAKE_CURRENT_LIST_DIR}/stopResendTest.cpp)
target_link_libraries(stopResendTest PRIVATE panelrig GTest::gtest)
add_test(NAME stopResendTest
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/netns-run.sh $<TARGET_FILE:stopResendTest>)
set_tests_properties(stopResendTest PROPERTIES TIMEOUT 300)
# Camera lines paced by the cameras' answers, on every transport.
add_executable(answerPacingTest ${CMAKE_CURRENT_LIST_DIR}/answerPacingTest.cpp)
target_link_libraries(answerPacingTest PRIVATE panelrig GTest::gtest)
add_test(NAME answerPacingTest
         COMMAND ${PROJECT_SOURCE_DIR}/scripts/netns-run.sh $<TARGET_FILE:answerPacingTest>)
set_tests_properties(answerPacingTest PROPERTIES TIMEOUT 300)
