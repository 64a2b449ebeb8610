# shipped_dll_runtime(<target>): a DLL linked as the controls are: the trimmed C++ runtime and the
# shim that keeps it loadable on XP (once per binary, however many controls' objects it holds),
# stripped, without the sections nothing references; the map (<output name>.map beside it) says
# what takes the room.
function(shipped_dll_runtime target)
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/framework/compat/runtime_trim.cpp
                 ${CMAKE_SOURCE_DIR}/framework/compat/xp_compat.cpp)
  set_property(SOURCE ${CMAKE_SOURCE_DIR}/framework/compat/xp_compat.cpp TARGET_DIRECTORY ${target}
               APPEND PROPERTY INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR}/framework)
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections
                      -Wl,-Map,$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map)
endfunction()

# The sites a release's controls work for (`make dist SITES="https://portal.example ..."`): "any",
# or when empty, any page, as builds for the tests and the demo are.
set(VARNOK_SITES "" CACHE STRING "the page origins the controls work for; empty or any: all")
# Locked copies of both controls for the tests, beside the open ones (in locked/ below each).
set(VARNOK_TEST_SITES "https://portal.example https://*.portal.example http://games.portal.example:8080")

# site_list_resource(<target> <sites>): the site list resource of a control DLL.
function(site_list_resource target sites)
  if(sites STREQUAL "")
    set(sites "any")
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}.sites)
  file(CONFIGURE OUTPUT ${dir}/sites.txt CONTENT "${sites}")
  file(CONFIGURE OUTPUT ${dir}/sites.rc CONTENT
       "#include \"site_list_id.h\"\nVARNOK_SITE_LIST_ID RCDATA \"${dir}/sites.txt\"\n")
  set_source_files_properties(${dir}/sites.rc PROPERTIES OBJECT_DEPENDS ${dir}/sites.txt)
  target_sources(${target} PRIVATE ${dir}/sites.rc)
endfunction()

# add_control_dll(<name> SUFFIX <.ocx|.dll> IDL <file.idl> [PROXY]
#                 SOURCES ... [ENTRY ...] RESOURCE_DEPENDS ... LIBS ...)
# One of the shipped controls: its generated interface code, the framework, the given .rc/.def and
# sources (shipped_dll_runtime adds the runtime); registered in the test prefix, with the
# sites of VARNOK_SITES. Also <name>Locked, the same objects locked to VARNOK_TEST_SITES, in
# locked/, and a static library <name>_ids with the generated header and GUIDs, for the tests.
# The control's code is the object library <name>_objects (sources added later go there too), which
# a program may link as well; ENTRY names the sources only the DLLs get (the module's entry points
# and resources), built once into <name>_entry.
function(add_control_dll name)
  cmake_parse_arguments(C "PROXY" "SUFFIX;IDL;IDS" "SOURCES;ENTRY;RESOURCE_DEPENDS;LIBS" ${ARGN})
  get_filename_component(idl_name ${C_IDL} NAME_WE)
  if(C_PROXY)
    widl_compile(${C_IDL} OUT_DIR ${CMAKE_CURRENT_BINARY_DIR} PROXY)
  else()
    widl_compile(${C_IDL} OUT_DIR ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(defs ${C_SOURCES})
  list(FILTER defs INCLUDE REGEX "\\.def$")
  list(FILTER C_SOURCES EXCLUDE REGEX "\\.def$")
  add_library(${name}_objects OBJECT ${C_SOURCES} ${${idl_name}_HEADER})
  set(parts ${name}_objects)
  if(C_ENTRY)
    add_library(${name}_entry OBJECT ${C_ENTRY} ${${idl_name}_HEADER})
    list(APPEND parts ${name}_entry)
  endif()
  # The resource script embeds the generated type library.
  set_source_files_properties(${name}.rc PROPERTIES OBJECT_DEPENDS
                              "${${idl_name}_TLB};${C_RESOURCE_DEPENDS}")
  set(objects)
  foreach(part ${parts})
    target_include_directories(${part} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}
                               ${CMAKE_CURRENT_BINARY_DIR} ${CMAKE_SOURCE_DIR})
    target_link_libraries(${part} PRIVATE framework ${C_LIBS})
    list(APPEND objects $<TARGET_OBJECTS:${part}>)
  endforeach()

  foreach(variant "" Locked)
    set(dll ${name}${variant})
    add_library(${dll} SHARED ${objects} ${defs})
    target_link_libraries(${dll} PRIVATE framework ${C_LIBS})
    set_target_properties(${dll} PROPERTIES PREFIX "" SUFFIX ${C_SUFFIX} OUTPUT_NAME ${name})
    target_link_options(${dll} PRIVATE -Wl,--enable-stdcall-fixup)
    shipped_dll_runtime(${dll})
  endforeach()
  site_list_resource(${name} "${VARNOK_SITES}")
  site_list_resource(${name}Locked "${VARNOK_TEST_SITES}")
  set_target_properties(${name}Locked PROPERTIES
                        LIBRARY_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/locked
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/locked)

  add_library(${C_IDS} STATIC ${${idl_name}_IID_C} ${${idl_name}_HEADER})
  target_include_directories(${C_IDS} PUBLIC ${CMAKE_CURRENT_BINARY_DIR})
  wine_register_dll(${name})

  set(${idl_name}_IID_C ${${idl_name}_IID_C} PARENT_SCOPE)
  set(${idl_name}_PROXY_C ${${idl_name}_PROXY_C} PARENT_SCOPE)
endfunction()
