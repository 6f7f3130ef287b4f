# Checks what Windows and a user see of the built stub before it runs:
#   cmake -DEXE=stubra.exe -DOBJDUMP=... -DWINDRES=... -DVERSION=x.y.z -P check_executable.cmake
# A GUI-subsystem, large-address-aware, stripped program that imports only
# system DLLs, whose manifest asks for administrator rights without UI access
# and declares Windows 7, with an application icon and a version record that
# names the product and its version.

get_filename_component(program "${EXE}" NAME)

function(require text pattern what)
    string(REGEX MATCH "${pattern}" found "${text}")
    if(NOT found)
        message(SEND_ERROR "${program} ${what}")
    endif()
endfunction()

function(run_tool output_variable)
    execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE errors
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${result}): ${errors}")
    endif()
    set(${output_variable} "${output}" PARENT_SCOPE)
endfunction()

run_tool(headers "${OBJDUMP}" -p "${EXE}")
require("${headers}" "Subsystem[\t ]+00000002" "is not a GUI-subsystem program")
require("${headers}" "large address aware" "is not large-address-aware")

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll MATCHES "^(kernel32|user32|shell32|advapi32|msvcrt)\\.dll$")
        message(SEND_ERROR "${program} imports ${dll}, which Windows does not ship")
    endif()
endforeach()

run_tool(symbols "${OBJDUMP}" -t "${EXE}")
require("${symbols}" "no symbols" "is not stripped")

run_tool(resources "${WINDRES}" -i "${EXE}" -O rc)
require("${resources}" "level=\"\"requireAdministrator\"\" uiAccess=\"\"false\"\""
        "has a manifest that does not ask for administrator rights without UI access")
require("${resources}" "supportedOS Id=\"\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"\""
        "has a manifest that does not declare Windows 7")
require("${resources}" "Type: group icon" "has no application icon")
require("${resources}" "VALUE \"ProductName\", \"Stubra\"" "has a version record that does not name Stubra")
string(REPLACE "." "\\." version_pattern "${VERSION}")
require("${resources}" "VALUE \"ProductVersion\", \"${version_pattern}\""
        "has a version record without version ${VERSION}")
