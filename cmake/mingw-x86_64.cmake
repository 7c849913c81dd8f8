# Test-only target for hosts that run no 32-bit code: 64-bit Windows.
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# x87 arithmetic for double as well, as on i686 (FLT_EVAL_METHOD 2), so that
# a test whose expected value depends on how doubles are evaluated fails here
# as it would on the release target. Checked at compile time (core/Extended.h).
set(CMAKE_C_FLAGS_INIT "-mfpmath=387")
set(CMAKE_CXX_FLAGS_INIT "-mfpmath=387")
