# Folder conventions: <folder>/*.cpp is the logic of a subsystem (no widgets) and goes into pd-<folder>;
# <folder>/ui/*.{cpp,ui} are its forms and widget bindings and go into pressdiag-ui.

function(pressdiag_core_module name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*.h
                                   ${CMAKE_SOURCE_DIR}/${name}/*.qrc)
  if(NOT srcs)
    set(srcs ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(pd-${name} STATIC ${srcs})
  target_include_directories(pd-${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(pd-${name} PUBLIC ${ARG_DEPENDS})
  set_target_properties(pd-${name} PROPERTIES AUTOUIC OFF)
endfunction()

function(pressdiag_ui_library)
  set(all)
  foreach(dir app status params curves service production report)
    file(GLOB s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/ui/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/ui/*.h
                                  ${CMAKE_SOURCE_DIR}/${dir}/ui/*.ui ${CMAKE_SOURCE_DIR}/${dir}/ui/*.qrc)
    list(APPEND all ${s})
  endforeach()
  if(NOT all)
    set(all ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(pressdiag-ui STATIC ${all})
  target_include_directories(pressdiag-ui PUBLIC ${CMAKE_SOURCE_DIR})
  set_target_properties(pressdiag-ui PROPERTIES AUTOUIC_SEARCH_PATHS
    "${CMAKE_SOURCE_DIR}/app/ui;${CMAKE_SOURCE_DIR}/status/ui;${CMAKE_SOURCE_DIR}/params/ui;${CMAKE_SOURCE_DIR}/curves/ui;${CMAKE_SOURCE_DIR}/service/ui;${CMAKE_SOURCE_DIR}/production/ui;${CMAKE_SOURCE_DIR}/report/ui")
  target_link_libraries(pressdiag-ui PUBLIC pressdiag-core Qt6::Widgets Qt6::PrintSupport Qt6::SerialPort)
endfunction()
