# The virtual camera's VISCA handling, framing and control commands, driven directly; then the
# program itself on loopback.
zek_test(virtualCameraModelTest ${CMAKE_CURRENT_LIST_DIR}/virtualCameraModelTest.cpp)
target_link_libraries(virtualCameraModelTest PRIVATE virtualcameramodel)

zek_test(virtualCameraProcessTest ${CMAKE_CURRENT_LIST_DIR}/virtualCameraProcessTest.cpp)
target_link_libraries(virtualCameraProcessTest PRIVATE virtualcameramodel)
target_compile_definitions(virtualCameraProcessTest
                           PRIVATE ZEK_VIRTUAL_CAMERA_PATH="$<TARGET_FILE:virtualCamera>")
add_dependencies(virtualCameraProcessTest virtualCamera)
