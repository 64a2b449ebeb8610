# Release builds are optimised for size: pages download the controls. -Oz, and no run-time type
# information (nothing uses dynamic_cast or typeid; thrown types keep theirs). Each function and
# datum in a section of its own lets the linker drop what nothing references (the control DLLs
# link with --gc-sections).
set(CMAKE_C_FLAGS_RELEASE "-Oz -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Oz -DNDEBUG")
add_compile_options(-ffunction-sections -fdata-sections $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
