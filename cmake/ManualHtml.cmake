# Renders a manual page as a web page for Windows, where no man exists:
#   cmake -DGROFF=... -DPAGE=page.1 -DTITLE=... -DOUT=page.html -P ManualHtml.cmake
# groff lays the page out as text (no hyphenation, no overstriking); the page
# holds it preformatted, with its encoding declared so any browser shows the
# units and names as written.
execute_process(COMMAND ${GROFF} -man -Tutf8 -rHY=0 -rLL=78n -P-c -P-b -P-o -P-u ${PAGE}
                OUTPUT_VARIABLE text RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR text STREQUAL "")
  message(FATAL_ERROR "groff could not render ${PAGE}: ${errors}")
endif()
string(REPLACE "&" "&amp;" text "${text}")
string(REPLACE "<" "&lt;" text "${text}")
string(REPLACE ">" "&gt;" text "${text}")
file(WRITE ${OUT} "<!DOCTYPE html>
<html lang=\"en\">
<head>
<meta charset=\"utf-8\">
<title>${TITLE}</title>
</head>
<body>
<pre>
${text}</pre>
</body>
</html>
")
