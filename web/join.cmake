# cmake -DOUT=<file> -DPARTS=<part,...> -P join.cmake: joins the page library's parts into OUT.
# Only the first part opens the wrapper and only the last closes it: every line of a part between
# them is blank or indented, so that nothing of theirs lands outside the wrapper (the library
# defines no global but Varnok).
string(REPLACE "," ";" PARTS "${PARTS}")
list(LENGTH PARTS count)
math(EXPR last "${count} - 1")
set(text "")
set(index 0)
foreach(part ${PARTS})
  file(READ ${part} body)
  if(index GREATER 0 AND index LESS last)
    string(REGEX MATCH "(^|\n)[^ \n][^\n]*" outside "${body}")
    if(outside)
      string(STRIP "${outside}" outside)
      message(FATAL_ERROR "${part}: a line outside the library's wrapper: ${outside}")
    endif()
  endif()
  string(APPEND text "${body}")
  math(EXPR index "${index} + 1")
endforeach()
file(WRITE ${OUT}.new "${text}")
file(RENAME ${OUT}.new ${OUT})
