# Writes the page: the template with the style, the module and the page's script inlined.
# cmake -DTEMPLATE=... -DMODULE=... -DSCRIPT=... -DSTYLE=... -DOUT=... -P Page.cmake
cmake_minimum_required(VERSION 3.21)
file(READ ${TEMPLATE} page)
file(READ ${STYLE} style)
file(READ ${MODULE} module)
file(READ ${SCRIPT} script)
foreach(part module script)
    # Inlined script ends at the first "</script" whatever its context.
    string(TOLOWER "${${part}}" lower)
    string(FIND "${lower}" "</script" found)
    if(NOT found EQUAL -1)
        message(FATAL_ERROR "${part} holds </script and cannot be inlined")
    endif()
endforeach()
string(REPLACE "/* @STYLE@ */" "${style}" page "${page}")
string(REPLACE "/* @MODULE@ */" "${module}" page "${page}")
string(REPLACE "/* @SCRIPT@ */" "${script}" page "${page}")
file(WRITE ${OUT} "${page}")
