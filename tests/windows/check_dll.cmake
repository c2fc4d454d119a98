# Checks what a plug-in DLL shows a 32-bit Windows host, from `objdump -p`:
#   - the export table's internal name is Module.dll,
#   - it exports exactly getModuleProperties and makeModule, by name, undecorated,
#   - it imports from system DLLs only (no libgcc, libstdc++ or winpthread DLL beside it).
# Usage: cmake -DOBJDUMP=<objdump> -DDLL=<file.dll> -P check_dll.cmake
foreach(required IN ITEMS OBJDUMP DLL)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "check_dll.cmake needs -D${required}=...")
  endif()
endforeach()

execute_process(COMMAND "${OBJDUMP}" -p "${DLL}"
  OUTPUT_VARIABLE dump ERROR_VARIABLE dump_error RESULT_VARIABLE dump_result)
if(NOT dump_result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed: ${dump_error}")
endif()
string(REPLACE "\r" "" dump "${dump}")

set(problems "")

# The export directory's own name.
if(dump MATCHES "\nName[ \t]+[0-9a-fA-F]+ ([^\n]*)\n")
  set(internal_name "${CMAKE_MATCH_1}")
else()
  set(internal_name "(no export table)")
endif()
if(NOT internal_name STREQUAL "Module.dll")
  list(APPEND problems "internal name is '${internal_name}', not 'Module.dll'")
endif()

# Every slot of the export address table, named or not: an ordinal-only export counts too.
string(REGEX MATCHALL "\\+base\\[ *[0-9]+\\] [0-9a-fA-F]+ Export RVA" slots "${dump}")
list(LENGTH slots slot_count)
if(NOT slot_count EQUAL 2)
  list(APPEND problems "the export address table has ${slot_count} entries, not 2")
endif()

# The name table: the lines after its heading, up to the first empty line.
set(exports "")
string(FIND "${dump}" "[Ordinal/Name Pointer] Table\n" names_at)
if(names_at GREATER_EQUAL 0)
  string(SUBSTRING "${dump}" ${names_at} -1 names)
  string(FIND "${names}" "\n\n" names_end)
  string(SUBSTRING "${names}" 0 ${names_end} names)
  string(REGEX MATCHALL "\\[ *[0-9]+\\] [^\n]+" entries "${names}")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE "^\\[ *[0-9]+\\] " "" name "${entry}")
    list(APPEND exports "${name}")
  endforeach()
endif()
list(SORT exports)
if(NOT exports STREQUAL "getModuleProperties;makeModule")
  list(APPEND problems "exports are '${exports}', not 'getModuleProperties;makeModule'")
endif()

# Imports: what every 32-bit Windows has. The C runtime is msvcrt.dll for this toolchain;
# ucrtbase and its api-ms-win-crt forwarders are accepted for a UCRT toolchain.
string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
set(imports "")
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "^DLL Name: " "" name "${line}")
  string(STRIP "${name}" name)
  list(APPEND imports "${name}")
  string(TOLOWER "${name}" lower)
  if(NOT lower MATCHES "^(kernel32|msvcrt|ucrtbase)\\.dll$" AND
     NOT lower MATCHES "^api-ms-win-[a-z0-9-]+\\.dll$")
    list(APPEND problems "imports ${name}, which is not a system DLL")
  endif()
endforeach()

get_filename_component(file_name "${DLL}" NAME)
if(problems)
  list(JOIN problems "\n  " report)
  message(FATAL_ERROR "${file_name}:\n  ${report}")
endif()
message(STATUS "${file_name}: name ${internal_name}; exports ${exports}; imports ${imports}")
