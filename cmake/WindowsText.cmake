# Writes a text file with CR LF line ends for Windows readers:
#   -DINPUT=<file> or -DTEXT=<one line>, and -DOUTPUT=<file>.
if(DEFINED INPUT)
  file(READ "${INPUT}" content)
else()
  set(content "${TEXT}\n")
endif()
string(REPLACE "\r\n" "\n" content "${content}")
string(REPLACE "\n" "\r\n" content "${content}")
file(WRITE "${OUTPUT}" "${content}")
