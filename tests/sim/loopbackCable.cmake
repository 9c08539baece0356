# The loop-back cable's faults on bytes alone; then the program itself on its pseudo-terminals.
# Neither links the product's libraries.
add_executable(loopbackCableModelTest ${CMAKE_CURRENT_LIST_DIR}/loopbackCableModelTest.cpp)
target_link_libraries(loopbackCableModelTest PRIVATE loopbackcablemodel GTest::gtest
                      GTest::gtest_main)
add_test(NAME loopbackCableModelTest COMMAND loopbackCableModelTest)
set_tests_properties(loopbackCableModelTest PROPERTIES TIMEOUT 60)

add_executable(loopbackCableProcessTest ${CMAKE_CURRENT_LIST_DIR}/loopbackCableProcessTest.cpp)
target_link_libraries(loopbackCableProcessTest PRIVATE testsupport GTest::gtest GTest::gtest_main)
target_compile_definitions(loopbackCableProcessTest PRIVATE
  ZEK_LOOPBACK_CABLE_PATH="$<TARGET_FILE:loopbackCable>")
add_dependencies(loopbackCableProcessTest loopbackCable)
add_test(NAME loopbackCableProcessTest COMMAND loopbackCableProcessTest)
set_tests_properties(loopbackCableProcessTest PROPERTIES TIMEOUT 120)
