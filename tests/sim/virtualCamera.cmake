# The virtual camera's answer bytes and framing of each transport, driven directly; then the
# program itself on loopback (testsupport names the program and builds it first).
zek_test(virtualCameraModelTest ${CMAKE_CURRENT_LIST_DIR}/virtualCameraModelTest.cpp)
target_link_libraries(virtualCameraModelTest PRIVATE virtualcameramodel)

zek_test(virtualCameraProcessTest ${CMAKE_CURRENT_LIST_DIR}/virtualCameraProcessTest.cpp)
target_link_libraries(virtualCameraProcessTest PRIVATE virtualcameramodel)
