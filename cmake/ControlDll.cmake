# shipped_dll_runtime(<target>): a DLL linked as the controls are: the trimmed C++ runtime,
# stripped, without the sections nothing references; the map (<output name>.map beside it) says
# what takes the room.
function(shipped_dll_runtime target)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/framework/compat/runtime_trim.cpp)
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections
                      -Wl,-Map,$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map)
endfunction()

# add_control_dll(<name> SUFFIX <.ocx|.dll> IDL <file.idl> [PROXY]
#                 SOURCES ... RESOURCE_DEPENDS ... LIBS ...)
# One of the shipped controls: its generated interface code, the framework, the runtime shim that
# keeps it loadable on XP, the given .rc/.def and sources; registered in the test prefix. Also a
# static library <name>_ids with the generated header and GUIDs, for the tests.
function(add_control_dll name)
  cmake_parse_arguments(C "PROXY" "SUFFIX;IDL;IDS" "SOURCES;RESOURCE_DEPENDS;LIBS" ${ARGN})
  get_filename_component(idl_name ${C_IDL} NAME_WE)
  if(C_PROXY)
    widl_compile(${C_IDL} OUT_DIR ${CMAKE_CURRENT_BINARY_DIR} PROXY)
  else()
    widl_compile(${C_IDL} OUT_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  add_library(${name} SHARED ${C_SOURCES} ${CMAKE_SOURCE_DIR}/framework/compat/xp_compat.cpp
              ${${idl_name}_HEADER})
  # The resource script embeds the generated type library.
  set_source_files_properties(${name}.rc PROPERTIES OBJECT_DEPENDS
                              "${${idl_name}_TLB};${C_RESOURCE_DEPENDS}")
  target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                             ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE framework ${C_LIBS})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ${C_SUFFIX} OUTPUT_NAME ${name})
  target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
  shipped_dll_runtime(${name})

  add_library(${C_IDS} STATIC ${${idl_name}_IID_C} ${${idl_name}_HEADER})
  target_include_directories(${C_IDS} PUBLIC ${CMAKE_CURRENT_BINARY_DIR})
  wine_register_dll(${name})

  set(${idl_name}_IID_C ${${idl_name}_IID_C} PARENT_SCOPE)
  set(${idl_name}_PROXY_C ${${idl_name}_PROXY_C} PARENT_SCOPE)
endfunction()
