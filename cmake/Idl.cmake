# IDL compilation with widl: type library, header, interface ids and (on request) proxy/stub.
find_program(WIDL i686-w64-mingw32-widl REQUIRED)
set(WINE_IDL_DIR /usr/include/wine/wine/windows)
set(WINE_TLB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)

# widl_compile(<idl> OUT_DIR <dir> [PROXY]) sets <name>_TLB, <name>_HEADER, <name>_IID_C and
# (with PROXY) <name>_PROXY_C in the caller's scope, <name> being the idl file's base name.
function(widl_compile idl)
  cmake_parse_arguments(W "PROXY" "OUT_DIR" "" ${ARGN})
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl_abs ${idl} ABSOLUTE)
  set(tlb ${W_OUT_DIR}/${name}.tlb)
  set(hdr ${W_OUT_DIR}/${name}.h)
  set(iid ${W_OUT_DIR}/${name}_i.c)
  set(common -m32 -I${WINE_IDL_DIR} -L${WINE_TLB_DIR})
  set(outputs ${tlb} ${hdr} ${iid})
  set(commands
    COMMAND ${WIDL} ${common} -t -o ${tlb} ${idl_abs}
    COMMAND ${WIDL} ${common} -h -o ${hdr} ${idl_abs}
    COMMAND ${WIDL} ${common} -u -o ${iid} ${idl_abs})
  if(W_PROXY)
    set(proxy ${W_OUT_DIR}/${name}_p.c)
    set(dlldata ${W_OUT_DIR}/${name}_dlldata.c)
    list(APPEND outputs ${proxy} ${dlldata})
    list(APPEND commands
      COMMAND ${WIDL} ${common} -Oif -p -o ${proxy} ${idl_abs}
      COMMAND ${WIDL} --dlldata-only -o ${dlldata} ${name})
    set(${name}_PROXY_C ${proxy} ${dlldata} PARENT_SCOPE)
  endif()
  add_custom_command(OUTPUT ${outputs} ${commands} DEPENDS ${idl_abs}
    COMMENT "widl ${name}.idl" VERBATIM)
  set(${name}_TLB ${tlb} PARENT_SCOPE)
  set(${name}_HEADER ${hdr} PARENT_SCOPE)
  set(${name}_IID_C ${iid} PARENT_SCOPE)
endfunction()
