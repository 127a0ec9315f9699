# Every .cpp directly in framework/ is part of the portable framework library.
file(GLOB FRAMEWORK_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
target_sources(framework PRIVATE ${FRAMEWORK_SOURCES})
